#pragma once

#include <QObject>
#include <memory>

#include "platform/widgets/FileSaveDialog.h"
#include "ui/Form1.h"

namespace kelto::playlist {

// Ctrl+S anywhere in the window saves the playlist as an M3U8 file, chosen in
// a save dialog, that other players open: each entry's title as #EXTINF and
// its absolute path (a web address as it is). The title strip says where it
// went, or why it did not.
class PlaylistExport : public QObject {
    Q_OBJECT
public:
    explicit PlaylistExport(ui::Form1& form);
    ~PlaylistExport() override;

    // Replaces the save dialog (tests put a scripted one in).
    void setDialog(std::unique_ptr<platform::FileSaveDialog> dialog);

    // Asks for the file and writes it; false when nothing was written.
    bool Export();

private:
    ui::Form1& form_;
    std::unique_ptr<platform::FileSaveDialog> dialog_;
};

}  // namespace kelto::playlist
