#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "platform/widgets/ListBox.h"
#include "playlist/PlaylistFiles.h"

namespace kelto::playlist {

// Between the window's two list boxes and the files' text (UTF-8 on disk).
QString FromFileText(std::string_view text);
std::string ToFileText(const QString& text);

// The playlist in the list boxes' own text: titles and paths at the same rows.
struct PlaylistTexts {
    QStringList titles;
    QStringList paths;
};

// Both files read line by line straight into list-box text; a missing or
// unreadable file counts as empty. Files of equal length pair by line, so a
// title edited by hand stays; otherwise every path is titled by its file name.
// This is the start-up path, so no line is held in any other form on the way.
PlaylistTexts LoadTexts(const PlaylistFiles& files);

// Both lists' texts, item by item, in the files' form.
PlaylistEntries EntriesOf(const PlaylistTexts& texts);
PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths);

// Appends titles to `titles` and paths to `paths`, each list in one insertion.
void AppendEntries(platform::ListBox& titles, platform::ListBox& paths, const PlaylistTexts& texts);

// Leaves `list` with no selected entry, and keeps it that way when the list
// gets the keyboard focus: an item view otherwise makes its first row current
// on focus, which would quietly pick an entry the user never chose.
void SelectNothing(platform::ListBox& list);

}  // namespace kelto::playlist
