#pragma once

#include <QListWidget>
#include <QString>
#include <string>

#include "playlist/PlaylistFiles.h"

namespace kelto::playlist {

// Between the window's two list boxes and the files' text (UTF-8 on disk).
QString FromFileText(const std::string& text);
std::string ToFileText(const QString& text);

// Both lists' texts, item by item.
PlaylistEntries EntriesOf(const QListWidget& titles, const QListWidget& paths);

// Appends the entries to the lists, titles to `titles` and paths to `paths`.
void AppendEntries(QListWidget& titles, QListWidget& paths, const PlaylistEntries& entries);

// Leaves `list` with no selected entry, and keeps it that way when the list
// gets the keyboard focus: an item view otherwise makes its first row current
// on focus, which would quietly pick an entry the user never chose.
void SelectNothing(QListWidget& list);

}  // namespace kelto::playlist
