#pragma once

#include <QString>

namespace kelto::platform {

// The file-save dialog as the window uses it; tests put a scripted one in.
class FileSaveDialog {
public:
    FileSaveDialog() = default;
    FileSaveDialog(const FileSaveDialog&) = delete;
    FileSaveDialog& operator=(const FileSaveDialog&) = delete;
    FileSaveDialog(FileSaveDialog&&) = delete;
    FileSaveDialog& operator=(FileSaveDialog&&) = delete;
    virtual ~FileSaveDialog() = default;

    // Shows the dialog modally; false when the user cancelled. A file that
    // is there already has been confirmed for replacing.
    virtual bool ShowSave() = 0;
    // Full path of the file to write.
    virtual QString FileName() const = 0;
};

}  // namespace kelto::platform
