#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/MediaProbe.h"
#include "playlist/PlaylistExport.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistIntake.h"
#include "ui/Form1.h"

namespace kelto::playlist {

// The playlist bar and List1's clicks. List1 shows the titles and the hidden
// List2 holds the paths at the same rows; playback takes its file from List2's
// selection, so List2's selection always follows List1's.
//
// The handlers expect to be connected: asxToolbar2's ButtonClick to
// asxToolbar2_Click, List1's currentRowChanged to List1_Click (it must run for
// selections made in code too) and its rowDoubleClicked to List1_DblClick.
class PlaylistEditor {
public:
    static constexpr int kAddButton = 1;
    static constexpr int kRemoveButton = 2;
    static constexpr int kClearButton = 3;

    // `playSelected` plays the entry selected in List2. Every edit is saved
    // to `files` at once, so an edit survives the program being killed; a
    // save that fails is said at once on the title strip and standard error.
    // `probe` tells media files from others on every road in; it must
    // outlive the editor.
    PlaylistEditor(ui::Form1& form, std::function<void()> playSelected, PlaylistFiles files,
                   const platform::MediaProbe& probe);
    ~PlaylistEditor();
    PlaylistEditor(const PlaylistEditor&) = delete;
    PlaylistEditor& operator=(const PlaylistEditor&) = delete;

    // Dispatches on the index alone; the key is ignored. Unknown indexes do
    // nothing.
    void asxToolbar2_Click(int index, const QString& key);

    // Asks for one file and appends it, selected. A cancelled dialog adds
    // nothing; a file that is not media (the dialog's "All files" shows any)
    // is named on standard error with the reason, and not added. A playlist
    // file chosen has its entries appended and the first played.
    void Add();
    // Removes the selected entry from both lists; nothing is selected after.
    // Nothing happens when nothing is selected.
    void Remove();
    void Clear();

    // Appends each file that RefusalOf accepts, title = its file name (a web
    // address's last part), and saves as Add does; each refused one is named
    // on standard error with the reason. Relative paths are taken from the
    // current folder, web addresses kept as given. Returns the row of the
    // first entry appended, -1 when none was. Selects the last one appended,
    // as Add selects its file. Paths that hold a folder or a playlist file go
    // to the intake instead, which appends them while the window goes on
    // (-1 then).
    int AppendFiles(const QStringList& paths);
    // What AppendFiles would take: web addresses as given, the rest as
    // absolute paths, each refused one named on standard error.
    static QStringList Acceptable(const QStringList& paths, const platform::MediaProbe& probe);
    // Why `path` cannot join the playlist (InputRefusalOf with this editor's
    // probe).
    QString RefusalOf(const QString& path) const;
    // AppendFiles for a drop: a dropped playlist file is played as well.
    int AppendDropped(const QStringList& paths);
    // AppendFiles, then the first appended entry is selected and played.
    // False when nothing was appended; the selection and playback are then
    // left alone. With a folder or playlist file among `paths`, the first
    // entry the intake finds is played; true when any path was taken.
    bool AppendAndPlay(const QStringList& paths);

    PlaylistIntake& intake() { return *intake_; }
    PlaylistExport& exporter() { return *export_; }

    // Copies List1's selected row to List2. A row List2 does not have (only
    // possible if something filled the lists unevenly) clears List2's
    // selection, so playback finds no file rather than the wrong one.
    void List1_Click();
    void List1_DblClick();

private:
    void Save();

    ui::Form1& form_;
    std::function<void()> playSelected_;
    PlaylistFiles files_;
    const platform::MediaProbe& probe_;
    std::unique_ptr<PlaylistIntake> intake_;
    std::unique_ptr<PlaylistExport> export_;
};

}  // namespace kelto::playlist
