#pragma once

#include <QString>
#include <string>

#include "platform/widgets/ListBox.h"
#include "playlist/PlaylistFiles.h"

namespace kelto::playlist {

// Between the window's two list boxes and the files' text (UTF-8 on disk).
QString FromFileText(const std::string& text);
std::string ToFileText(const QString& text);

// Both lists' texts, item by item.
PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths);

// Appends the entries to the lists, titles to `titles` and paths to `paths`,
// each list in one insertion.
void AppendEntries(platform::ListBox& titles, platform::ListBox& paths, const PlaylistEntries& entries);

// Leaves `list` with no selected entry, and keeps it that way when the list
// gets the keyboard focus: an item view otherwise makes its first row current
// on focus, which would quietly pick an entry the user never chose.
void SelectNothing(platform::ListBox& list);

}  // namespace kelto::playlist
