#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <utility>

#include "platform/widgets/FileOpenDialog.h"

namespace kelto::testing {

// A file-open dialog that answers from a queue: a path chooses that file,
// nullopt cancels. Like the real one, a cancel keeps the previous choice in
// FileName and FileTitle.
class ScriptedDialog : public platform::FileOpenDialog {
public:
    void Queue(std::optional<QString> path) { answers_.push_back(std::move(path)); }
    int Shown() const { return shown_; }

    bool ShowOpen() override {
        ++shown_;
        if (answers_.empty()) return false;
        std::optional<QString> answer = std::move(answers_.front());
        answers_.pop_front();
        if (!answer) return false;
        fileName_ = *answer;
        fileTitle_ = fileName_.section(QLatin1Char('/'), -1);
        return true;
    }
    QString FileName() const override { return fileName_; }
    QString FileTitle() const override { return fileTitle_; }

private:
    std::deque<std::optional<QString>> answers_;
    QString fileName_;
    QString fileTitle_;
    int shown_ = 0;
};

}  // namespace kelto::testing
