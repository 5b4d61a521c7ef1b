#pragma once

#include <QString>
#include <QStringList>

#include "platform/MediaProbe.h"

namespace kelto::playlist {

// Which files may join the playlist, on every road in (the dialog, the command
// line, a drop, the desktop's media controls): media by their content, as
// `probe` tells it, whatever their names say, and nothing whose name the
// playlist files could not hold.

// Why the content of `path` is not media, as a phrase ("not a media file (it
// is empty)"); empty when it is media.
QString MediaRefusalOf(const QString& path, const platform::MediaProbe& probe);

// False for text with a line break: the files keep one entry per line, so
// such a name would come back as two entries, with titles and paths out of
// step from there on.
bool FitsPlaylistLine(const QString& text);

// Why `path` cannot be added, as a phrase ("does not exist", ...); empty when
// it can. The path is taken as it stands, not resolved against any folder.
QString RefusalOf(const QString& path, const platform::MediaProbe& probe);

// Every media file below `folder`, at any depth, in natural name order ("clip 9" before "clip 10"),
// compared by the path below `folder`. Hidden files are left out; linked folders are not entered,
// so a link loop ends. Other files are passed over without a word: a folder of music holds covers
// and notes as well.
QStringList MediaFilesBelow(const QString& folder, const platform::MediaProbe& probe);

// `paths` with each folder replaced by MediaFilesBelow it, order kept.
QStringList ExpandFolders(const QStringList& paths, const platform::MediaProbe& probe);

}  // namespace kelto::playlist
