#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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

// Every file below `folder`, at any depth, folder by folder in natural name
// order (NaturallyBefore), each subfolder's files where its name falls among
// its neighbours. Hidden files are left out; linked folders are not entered,
// so a link loop ends. Stops early, with what it has, once `stopped` says so.
QStringList FilesBelow(const QString& folder, const std::function<bool()>& stopped = {});

}  // namespace kelto::playlist
