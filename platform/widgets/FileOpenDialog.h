#pragma once

#include <QString>

namespace kelto::platform {

// The file-open dialog as the window uses it; tests put a scripted one in.
class FileOpenDialog {
public:
    FileOpenDialog() = default;
    FileOpenDialog(const FileOpenDialog&) = delete;
    FileOpenDialog& operator=(const FileOpenDialog&) = delete;
    FileOpenDialog(FileOpenDialog&&) = delete;
    FileOpenDialog& operator=(FileOpenDialog&&) = delete;
    virtual ~FileOpenDialog() = default;

    // Shows the dialog modally; false when the user cancelled. After a cancel
    // FileName and FileTitle still hold the previous choice (empty at first).
    virtual bool ShowOpen() = 0;
    // Full path of the chosen file.
    virtual QString FileName() const = 0;
    // The chosen file's name with extension, without the folder.
    virtual QString FileTitle() const = 0;
};

}  // namespace kelto::platform
