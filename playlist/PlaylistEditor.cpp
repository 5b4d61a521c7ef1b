#include "playlist/PlaylistEditor.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <string>
#include <utility>

#include "playlist/MediaFiles.h"
#include "playlist/PlaylistLists.h"
#include "playlist/PlaylistReader.h"
#include "playlist/WebAddress.h"

namespace kelto::playlist {

PlaylistEditor::PlaylistEditor(ui::Form1& form, std::function<void()> playSelected,
                               PlaylistFiles files, const platform::MediaProbe& probe)
    : form_(form),
      playSelected_(std::move(playSelected)),
      files_(std::move(files)),
      probe_(probe),
      intake_(std::make_unique<PlaylistIntake>(form, probe, playSelected_, [this] { Save(); })),
      export_(std::make_unique<PlaylistExport>(form)) {}

PlaylistEditor::~PlaylistEditor() = default;

void PlaylistEditor::asxToolbar2_Click(int index, const QString&) {
    switch (index) {
        case kAddButton:
            Add();
            break;
        case kRemoveButton:
            Remove();
            break;
        case kClearButton:
            Clear();
            break;
        default:
            break;
    }
}

void PlaylistEditor::Add() {
    platform::FileOpenDialog* dialog = form_.CommonDialog1;
    if (dialog == nullptr || !dialog->ShowOpen()) return;
    const QString path = dialog->FileName();
    if (path.isEmpty()) return;
    if (PlaylistFormatOf(path) != PlaylistFormat::None && QFileInfo(path).isFile()) {
        intake_->Take({path}, true);
        return;
    }
    // The dialog only offers files that are there; what they hold is
    // another matter once "All files" is chosen.
    const QString why = FitsPlaylistLine(path) ? MediaRefusalOf(path, probe_) : RefusalOf(path);
    if (!why.isEmpty()) {
        SayNotAdded(path, why);
        return;
    }
    QString title = dialog->FileTitle();
    if (title.isEmpty()) title = FromFileText(TitleOfPath(ToFileText(path)));

    form_.List1->addItem(title);
    form_.List2->addItems({path}, {QFile::encodeName(path)});
    form_.List1->setCurrentRow(form_.List1->count() - 1);
    Save();
}

void PlaylistEditor::Remove() {
    const int row = form_.List1->currentRow();
    if (row < 0 || row >= form_.List1->count() || row >= form_.List2->count()) return;
    // Removing the current row moves the current row to a neighbour; the
    // explicit reset below is what leaves nothing selected.
    form_.List1->removeItem(row);
    form_.List2->removeItem(row);
    SelectNothing(*form_.List1);
    SelectNothing(*form_.List2);
    Save();
}

void PlaylistEditor::Clear() {
    form_.List1->clear();
    form_.List2->clear();
    SelectNothing(*form_.List1);
    SelectNothing(*form_.List2);
    Save();
}

QStringList PlaylistEditor::Acceptable(const QStringList& paths,
                                       const platform::MediaProbe& probe) {
    QStringList accepted;
    for (const QString& path : paths) {
        if (const QString why = InputRefusalOf(path, probe); !why.isEmpty()) {
            SayNotAdded(path, why);
        } else {
            accepted.append(IsWebAddress(path) ? path : QFileInfo(path).absoluteFilePath());
        }
    }
    return accepted;
}

QString PlaylistEditor::RefusalOf(const QString& path) const {
    return InputRefusalOf(path, probe_);
}

int PlaylistEditor::AppendDropped(const QStringList& paths) {
    // A playlist is put on the window to be played; a folder, to be kept.
    if (NeedsIntake(paths)) {
        intake_->Take(Acceptable(paths, probe_), HoldsPlaylistFile(paths));
        return -1;
    }
    return AppendFiles(paths);
}

int PlaylistEditor::AppendFiles(const QStringList& paths) {
    if (NeedsIntake(paths)) {
        intake_->Take(Acceptable(paths, probe_), false);
        return -1;
    }
    const QStringList accepted = Acceptable(paths, probe_);
    if (accepted.isEmpty()) return -1;
    QStringList titles;
    QList<QByteArray> pathBytes;
    for (const QString& path : accepted) {
        if (IsWebAddress(path)) {
            titles.append(TitleOfWebAddress(path));
            pathBytes.append(path.toUtf8());
        } else {
            titles.append(QFileInfo(path).fileName());
            pathBytes.append(QFile::encodeName(path));
        }
    }
    const int first = form_.List1->count();
    form_.List1->addItems(titles);
    form_.List2->addItems(accepted, pathBytes);
    form_.List1->setCurrentRow(form_.List1->count() - 1);
    Save();
    return first;
}

bool PlaylistEditor::AppendAndPlay(const QStringList& paths) {
    if (NeedsIntake(paths)) {
        const QStringList accepted = Acceptable(paths, probe_);
        if (accepted.isEmpty()) return false;
        intake_->Take(accepted, true);
        return true;
    }
    const int first = AppendFiles(paths);
    if (first < 0) return false;
    form_.List1->setCurrentRow(first);
    if (playSelected_) playSelected_();
    return true;
}

void PlaylistEditor::List1_Click() {
    const int row = form_.List1->currentRow();
    form_.List2->setCurrentRow(row < form_.List2->count() ? row : -1);
}

void PlaylistEditor::List1_DblClick() {
    if (playSelected_) playSelected_();
}

void PlaylistEditor::Save() {
    std::string error;
    if (files_.Save(EntriesOf(*form_.List1, *form_.List2), &error)) return;
    // The previous files stay whole and the entries stay in the list; the user
    // learns at once that the edit will not outlive the window.
    std::fprintf(stderr, "kelto-player: the playlist was not saved: %s\n", error.c_str());
    form_.Announce(QStringLiteral("Playlist not saved: ") + QString::fromLocal8Bit(error));
}

}  // namespace kelto::playlist
