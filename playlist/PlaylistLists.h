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

}  // namespace kelto::playlist
