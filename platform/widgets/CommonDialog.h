#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/widgets/FileOpenDialog.h"

namespace kelto::platform {

// The desktop's file-open dialog. The filter is kept in the "description|
// patterns|..." form the window is designed with and translated for Qt when
// the dialog is shown; the first pair starts selected.
class CommonDialog : public FileOpenDialog {
public:
    explicit CommonDialog(QWidget* parent = nullptr) : parent_(parent) {}

    QString Filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }

    bool ShowOpen() override;
    QString FileName() const override { return fileName_; }
    QString FileTitle() const override { return fileTitle_; }

private:
    QPointer<QWidget> parent_;
    QString filter_;
    QString fileName_;
    QString fileTitle_;
    QString lastFolder_;
};

}  // namespace kelto::platform
