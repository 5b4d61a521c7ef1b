#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <filesystem>
#include <string>

#include "tests/desktop/DesktopRig.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/TaggedClip.h"

namespace kelto::testing {
namespace {

const QString kPlayerName = QStringLiteral("org.mpris.MediaPlayer2.kelto_player");

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

QVariantMap TrackMetadata(const PrivateBus& bus) {
    QVariantMap map;
    bus.PlayerProperty(kPlayerName, QStringLiteral("Metadata")).value<QDBusArgument>() >> map;
    return map;
}

QString Field(const PrivateBus& bus, const char* key) {
    return Playerctl(bus, {QStringLiteral("metadata"), QString::fromLatin1(key)});
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the desktop's media panel shows: the tags of the playing file, its
// cover from inside the file (written to the cache under a name of its
// content) or from beside it, and the file's own title where it has no tags.
TEST(TrackMetadata, TagsAndCoversReachTheDesktopAndAnUntaggedFileKeepsItsTitle) {
    const TempFolder music;
    const TempFolder runtime;
    PrivateBus bus;
    ClipTags tags;
    tags.title = "Caf\xc3\xa9 Night";
    tags.artist = "The Testers";
    tags.album = "Loopback";
    tags.track = 7;
    tags.cover = SolidPng(0x3060c0);
    const std::filesystem::path tagged = music.path() / "tagged.mp3";
    WriteTaggedClip(tagged, tags, 20000);
    std::filesystem::create_directory(music.path() / "plain");
    const std::filesystem::path plain = music.path() / "plain" / "untagged.flac";
    WriteTaggedClip(plain, {}, 20000);
    const std::vector<std::uint8_t> beside = SolidPng(0xc03060);
    {
        QFile cover(Text(music.path() / "plain" / "Folder.PNG"));
        ASSERT_TRUE(cover.open(QIODevice::WriteOnly));
        cover.write(reinterpret_cast<const char*>(beside.data()),
                    static_cast<qsizetype>(beside.size()));
    }

    PlayerProcess player(Text(music.path()), bus.address(), Text(runtime.path()),
                         {Text(tagged), Text(plain)});
    ASSERT_TRUE(WaitUntil([&] { return Field(bus, "xesam:album") == "Loopback"; }, kStartMs))
        << player.StandardError().toStdString();
    EXPECT_EQ(Field(bus, "xesam:title"), QString::fromUtf8("Caf\xc3\xa9 Night"));
    EXPECT_EQ(Field(bus, "xesam:artist"), QStringLiteral("The Testers"));
    EXPECT_EQ(TrackMetadata(bus).value(QStringLiteral("xesam:trackNumber")).toInt(), 7);
    const QString art = Field(bus, "mpris:artUrl");
    const QString cached = QUrl(art).toLocalFile();
    EXPECT_TRUE(cached.startsWith(Text(runtime.path() / "cache" / "kelto-player" / "covers")))
        << art.toStdString();
    EXPECT_EQ(FileBytes(cached), QByteArray(reinterpret_cast<const char*>(tags.cover.data()),
                                            static_cast<qsizetype>(tags.cover.size())));

    EXPECT_EQ(Playerctl(bus, {QStringLiteral("next")}), QString());
    ASSERT_TRUE(
        WaitUntil([&] { return Field(bus, "xesam:title") == QStringLiteral("untagged.flac"); }));
    EXPECT_TRUE(WaitUntil([&] {
        return Field(bus, "mpris:artUrl") ==
               QUrl::fromLocalFile(Text(music.path() / "plain" / "Folder.PNG")).toString();
    }));
    const QVariantMap untagged = TrackMetadata(bus);
    EXPECT_FALSE(untagged.contains(QStringLiteral("xesam:artist")));
    EXPECT_FALSE(untagged.contains(QStringLiteral("xesam:album")));
    // The same cover again is the file already there.
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("previous")}), QString());
    EXPECT_TRUE(WaitUntil([&] { return Field(bus, "mpris:artUrl") == art; }));
    EXPECT_EQ(QDir(QFileInfo(cached).path()).entryList(QDir::Files).size(), 1);
}

}  // namespace
}  // namespace kelto::testing
