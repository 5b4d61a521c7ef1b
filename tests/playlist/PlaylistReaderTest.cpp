#include "playlist/PlaylistReader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/files/TempFolder.h"

namespace kelto::playlist {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Each entry as location (or "refused: why") and title.
std::vector<std::pair<QString, QString>> Read(const std::filesystem::path& file) {
    const PlaylistContents contents = ReadPlaylist(Q(file));
    EXPECT_EQ(contents.error, QString()) << file.string();
    std::vector<std::pair<QString, QString>> entries;
    for (const PlaylistItem& item : contents.items) {
        entries.emplace_back(item.refusal.isEmpty() ? item.location : "refused: " + item.written,
                             item.title);
    }
    return entries;
}

// The same four entries written by three kinds of other program: a path beside
// the playlist, a path above it with blanks (as a file:// address where the
// format has them), a web address, and one the player cannot open.
class PlaylistReaderTest : public ::testing::Test {
protected:
    TempFolder folder;
    QString dir = Q(folder.path());
};

TEST_F(PlaylistReaderTest, M3uTitlesRelativePathsAddressesAndOtherSystemsPaths) {
    WriteBytes(folder / "party.M3U8",
               "\xEF\xBB\xBF#EXTM3U\r\n"
               "#EXTINF:185,Artist - First, Song\r\n"
               "music/one.mp3\r\n"
               "\r\n"
               "# a comment, not an entry\r\n"
               "file:///srv/my%20songs/two.ogg\r\n"
               "#EXTINF:-1 tvg-name=\"a,b\",Radio\r\n"
               "HTTPS://radio.example/live?x=1&y=%20\r\n"
               "rtsp://camera.example/feed\r\n"
               "C:\\Music\\three.mp3\r\n"
               "..\\up\\four.mp3\r\n");
    EXPECT_EQ(Read(folder / "party.M3U8"),
              (std::vector<std::pair<QString, QString>>{
                  {dir + "/music/one.mp3", "Artist - First, Song"},
                  {"/srv/my songs/two.ogg", ""},
                  {"HTTPS://radio.example/live?x=1&y=%20", "Radio"},
                  {"refused: rtsp://camera.example/feed", ""},
                  {"refused: C:\\Music\\three.mp3", ""},
                  {Q(folder.path().parent_path()) + "/up/four.mp3", ""}}));
    // A plain M3U of the other system is in its Western code page.
    WriteBytes(folder / "old.m3u", "caf\xE9.mp3\n/abs/x.wav");
    EXPECT_EQ(Read(folder / "old.m3u"),
              (std::vector<std::pair<QString, QString>>{
                  {dir + QString::fromUtf8("/caf\u00e9.mp3"), ""}, {"/abs/x.wav", ""}}));
}

TEST_F(PlaylistReaderTest, PlsEntriesInNumberOrderWithTheirTitles) {
    WriteBytes(folder / "radio.pls",
               "[playlist]\n"
               "NumberOfEntries=3\n"
               "File2=http://radio.example/stream\n"
               "Title2=Station\n"
               "file1 = songs/a b.mp3\n"
               "Title1=Song A\n"
               "Length1=100\n"
               "File10=/abs/z.flac\n"
               "Version=2\n");
    EXPECT_EQ(Read(folder / "radio.pls"),
              (std::vector<std::pair<QString, QString>>{{dir + "/songs/a b.mp3", "Song A"},
                                                        {"http://radio.example/stream", "Station"},
                                                        {"/abs/z.flac", ""}}));
}

TEST_F(PlaylistReaderTest, XspfLocationsAsAddressesTheFirstOfEachTrackAndABrokenFileSaysWhere) {
    WriteBytes(folder / "list.xspf",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><title>Mine</title>\n"
               "<trackList>\n"
               "<track><title>One &amp; Only</title><location>music/one%20x.mp3</location>"
               "<location>/second/place.mp3</location></track>\n"
               "<track><location>file:///srv/two.ogg</location>"
               "<extension application=\"x\"><title>not this</title></extension></track>\n"
               "<track><location>https://radio.example/a.mp3</location></track>\n"
               "<track><location>mms://old.example/x</location></track>\n"
               "<track><title>no location</title></track>\n"
               "</trackList></playlist>\n");
    EXPECT_EQ(Read(folder / "list.xspf"),
              (std::vector<std::pair<QString, QString>>{{dir + "/music/one x.mp3", "One & Only"},
                                                        {"/srv/two.ogg", ""},
                                                        {"https://radio.example/a.mp3", ""},
                                                        {"refused: mms://old.example/x", ""}}));

    WriteBytes(folder / "cut.xspf",
               "<playlist><trackList><track><location>/a.mp3</location></track><track>");
    const PlaylistContents cut = ReadPlaylist(Q(folder / "cut.xspf"));
    ASSERT_EQ(cut.items.size(), 1U);
    EXPECT_EQ(cut.items[0].location, "/a.mp3");
    EXPECT_TRUE(cut.error.startsWith("not a well-formed XSPF file (line 1"))
        << cut.error.toStdString();
    EXPECT_EQ(ReadPlaylist(Q(folder / "none.pls")).error, "no such file");
}

TEST_F(PlaylistReaderTest, SavedM3u8ReadsBackAsTheSamePlaylist) {
    const QStringList titles{"Song, with comma", QString::fromUtf8("Caf\u00e9"), "Radio"};
    const QList<QByteArray> paths{"/music/a b.mp3", "relative/c.wav", "https://radio.example/s"};
    const QString file = Q(folder / "out.m3u8");
    ASSERT_TRUE(WriteM3u8(file, titles, paths));
    const QString here = QDir::currentPath();
    EXPECT_EQ(ReadBytes(folder / "out.m3u8"),
              "#EXTM3U\n#EXTINF:-1,Song, with comma\n/music/a b.mp3\n#EXTINF:-1,Caf\xC3\xA9\n" +
                  (here + "/relative/c.wav").toStdString() +
                  "\n#EXTINF:-1,Radio\nhttps://radio.example/s\n");
    EXPECT_EQ(Read(folder / "out.m3u8"),
              (std::vector<std::pair<QString, QString>>{{"/music/a b.mp3", titles[0]},
                                                        {here + "/relative/c.wav", titles[1]},
                                                        {"https://radio.example/s", "Radio"}}));

    // A folder that cannot be written keeps nothing half-written and says why.
    QString error;
    EXPECT_FALSE(WriteM3u8(Q(folder / "no" / "such" / "x.m3u8"), titles, paths, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace kelto::playlist
