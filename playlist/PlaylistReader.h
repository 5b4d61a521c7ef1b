#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace kelto::playlist {

// Playlist files other programs write, which the player opens for the media
// they list.
enum class PlaylistFormat {
    None,
    M3u,   // .m3u and .m3u8: one location a line, #EXTINF titles
    Pls,   // .pls: File1=, Title1=, ...
    Xspf,  // .xspf: XML, one <track> per entry
};

// The format `path`'s name says (in any letter case); None for any other name.
PlaylistFormat PlaylistFormatOf(const QString& path);

// One entry as the playlist gives it.
struct PlaylistItem {
    // An absolute local path, or a web address as written; empty when refused.
    QString location;
    // The title the playlist gives the entry; empty when it gives none.
    QString title;
    // The entry as written, for messages.
    QString written;
    // Why the entry cannot name anything the player opens; empty when it can.
    QString refusal;
};

struct PlaylistContents {
    std::vector<PlaylistItem> items;
    // Why the file (or the rest of it) could not be read; empty when it was.
    QString error;
};

// The entries of the playlist file `path`, in its order. Relative locations
// are taken from the playlist's folder, file:// addresses decoded, web
// addresses kept as they are written. Whether each entry's file is there is
// for the caller to find out.
PlaylistContents ReadPlaylist(const QString& path);

// The playlist as an M3U8 file at `file`: "#EXTM3U", then for each entry an
// "#EXTINF:-1,<title>" line and its location, in UTF-8 with LF line ends. A
// relative path is made absolute against the current folder, web addresses
// are kept; each path keeps its bytes. The file is replaced whole or not at
// all. False, with `error` saying why, when it was not written.
bool WriteM3u8(const QString& file, const QStringList& titles, const QList<QByteArray>& paths,
               QString* error = nullptr);

}  // namespace kelto::playlist
