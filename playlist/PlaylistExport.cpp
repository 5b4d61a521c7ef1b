#include "playlist/PlaylistExport.h"

#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <cstdio>
#include <utility>

#include "platform/widgets/CommonSaveDialog.h"
#include "playlist/PlaylistReader.h"

namespace kelto::playlist {

PlaylistExport::PlaylistExport(ui::Form1& form)
    : form_(form),
      dialog_(std::make_unique<platform::CommonSaveDialog>(
          &form, QStringLiteral("Save Playlist"), QStringLiteral("M3U8 playlist (*.m3u8)"),
          QStringLiteral("m3u8"), QStringLiteral("playlist.m3u8"))) {
    auto* shortcut = new QShortcut(QKeySequence::Save, &form_);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &PlaylistExport::Export);
}

PlaylistExport::~PlaylistExport() = default;

void PlaylistExport::setDialog(std::unique_ptr<platform::FileSaveDialog> dialog) {
    dialog_ = std::move(dialog);
}

bool PlaylistExport::Export() {
    if (!dialog_ || !dialog_->ShowSave()) return false;
    const QString file = dialog_->FileName();
    QString error;
    if (!WriteM3u8(file, form_.List1->texts(), form_.List2->allBytes(), &error)) {
        std::fprintf(stderr, "kelto-player: the playlist was not saved as %s: %s\n",
                     file.toLocal8Bit().constData(), error.toLocal8Bit().constData());
        form_.Announce(QStringLiteral("Playlist not saved: ") + error);
        return false;
    }
    form_.Announce(QStringLiteral("Playlist saved as ") + QFileInfo(file).fileName());
    return true;
}

}  // namespace kelto::playlist
