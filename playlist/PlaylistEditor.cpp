#include "playlist/PlaylistEditor.h"

#include <utility>

#include "playlist/PlaylistLists.h"

namespace kelto::playlist {

PlaylistEditor::PlaylistEditor(ui::Form1& form, std::function<void()> playSelected,
                               PlaylistFiles files)
    : form_(form), playSelected_(std::move(playSelected)), files_(std::move(files)) {}

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
    QString title = dialog->FileTitle();
    if (title.isEmpty()) title = FromFileText(TitleOfPath(ToFileText(path)));

    form_.List1->addItem(title);
    form_.List2->addItem(path);
    form_.List1->setCurrentRow(form_.List1->count() - 1);
    SaveQuietly();
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
    SaveQuietly();
}

void PlaylistEditor::Clear() {
    form_.List1->clear();
    form_.List2->clear();
    SelectNothing(*form_.List1);
    SelectNothing(*form_.List2);
    SaveQuietly();
}

void PlaylistEditor::List1_Click() {
    const int row = form_.List1->currentRow();
    form_.List2->setCurrentRow(row < form_.List2->count() ? row : -1);
}

void PlaylistEditor::List1_DblClick() {
    if (playSelected_) playSelected_();
}

void PlaylistEditor::SaveQuietly() {
    // A failed save leaves the previous files whole; the window saves again
    // when it closes, and nothing here is reported to the user.
    files_.Save(EntriesOf(*form_.List1, *form_.List2));
}

}  // namespace kelto::playlist
