#pragma once

#include <QString>

namespace kelto::playlist {

// An http:// or https:// address (the scheme in any letter case), which joins
// the playlist and its files as given, byte for byte: the media service opens
// it, and only the service can tell whether anything answers there.
bool IsWebAddress(const QString& text);

// The title the playlist shows for a web address: its last path part,
// decoded ("stream.mp3"), or the address itself when its path has none.
QString TitleOfWebAddress(const QString& address);

}  // namespace kelto::playlist
