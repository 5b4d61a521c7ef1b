#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "platform/widgets/ListBox.h"
#include "playlist/PlaylistFiles.h"

namespace kelto::playlist {

// Text typed or chosen in the window, in the files' form (UTF-8), and back.
QString FromFileText(std::string_view text);
std::string ToFileText(const QString& text);

// The longest line a path can be: the system takes no longer path, so a longer
// line in either file was not written by this program and cannot name a file.
constexpr qsizetype kLongestPathLine = 4095;

// The playlist as the list boxes hold it: each row's shown text and the bytes
// it came from, titles and paths at the same rows.
struct PlaylistTexts {
    QStringList titles;
    QStringList paths;
    QList<QByteArray> titleBytes;
    QList<QByteArray> pathBytes;
    // What the load had to change to make a playlist of the files, in a few
    // words ("3 titles for 2 paths"); empty when every line was taken as it is.
    QString repaired;
};

// Both files read line by line; a missing or unreadable file counts as empty.
// Each line keeps its bytes, shown as ShownText shows them. Files of equal
// length pair by line, so a title edited by hand stays; otherwise every path
// is titled by its file name. A path line that cannot name a file (longer than
// kLongestPathLine, or holding a NUL byte) drops its entry, and such a title
// line gives way to the path's file name: no line can be held or drawn that
// no file could have.
PlaylistTexts LoadTexts(const PlaylistFiles& files);

// Both lists' rows, item by item, in the files' form: each row's own bytes.
PlaylistEntries EntriesOf(const PlaylistTexts& texts);
PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths);

// Appends titles to `titles` and paths to `paths`, each list in one insertion.
void AppendEntries(platform::ListBox& titles, platform::ListBox& paths, const PlaylistTexts& texts);

// Leaves `list` with no selected entry, and keeps it that way when the list
// gets the keyboard focus: an item view otherwise makes its first row current
// on focus, which would quietly pick an entry the user never chose.
void SelectNothing(platform::ListBox& list);

}  // namespace kelto::playlist
