#pragma once

#include <QString>
#include <QStringList>

namespace kelto::playlist {

// Which files may join the playlist from outside the file dialog (the command
// line, a drop, the desktop's media controls): the kinds the dialog offers,
// by extension in any letter case, and nothing whose name the playlist files
// could not hold.

bool HasMediaExtension(const QString& path);

// False for text with a line break: the files keep one entry per line, so
// such a name would come back as two entries, with titles and paths out of
// step from there on.
bool FitsPlaylistLine(const QString& text);

// Why `path` cannot be added, as a phrase ("does not exist", ...); empty when
// it can. The path is taken as it stands, not resolved against any folder.
QString RefusalOf(const QString& path);

// Every file below `folder`, at any depth, with a media extension, in natural
// name order ("clip 9" before "clip 10"), compared by the path below
// `folder`. Hidden files are left out; linked folders are not entered, so a
// link loop ends.
QStringList MediaFilesBelow(const QString& folder);

// `paths` with each folder replaced by MediaFilesBelow it, order kept.
QStringList ExpandFolders(const QStringList& paths);

}  // namespace kelto::playlist
