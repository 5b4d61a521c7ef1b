#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <sys/stat.h>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <limits>
#include <string>

#include "desktop/FolderClaim.h"
#include "tests/desktop/DesktopRig.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/TestClips.h"

namespace kelto::testing {
namespace {

const QString kMpris = QStringLiteral("org.mpris.MediaPlayer2.kelto_player");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

QVariantMap Metadata(const PrivateBus& bus, const QString& service = kMpris) {
    QVariantMap map;
    bus.PlayerProperty(service, QStringLiteral("Metadata")).value<QDBusArgument>() >> map;
    return map;
}

QString Title(const PrivateBus& bus, const QString& service = kMpris) {
    return Metadata(bus, service).value(QStringLiteral("xesam:title")).toString();
}

QString Status(const PrivateBus& bus, const QString& service = kMpris) {
    return bus.PlayerProperty(service, QStringLiteral("PlaybackStatus")).toString();
}

// Collects the player's PropertiesChanged and Seeked signals.
class SignalLog : public QObject {
    Q_OBJECT
public:
    explicit SignalLog(const PrivateBus& bus) {
        QDBusConnection c = bus.connection();
        c.connect(QString(), kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                  QStringLiteral("PropertiesChanged"), this,
                  SLOT(OnChanged(QString, QVariantMap, QStringList)));
        c.connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), this,
                  SLOT(OnSeeked(qlonglong)));
    }
    QStringList statuses;
    QList<qlonglong> seeks;

public slots:
    void OnChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        if (changed.contains(QStringLiteral("PlaybackStatus"))) {
            statuses.append(changed.value(QStringLiteral("PlaybackStatus")).toString());
        }
    }
    void OnSeeked(qlonglong position) { seeks.append(position); }
};

class DesktopEndToEndTest : public ::testing::Test {
protected:
    QString folder() const { return Q(playlistFolder.path()); }
    QString runtime() const { return Q(runtimeFolder.path()); }

    std::unique_ptr<PlayerProcess> Start(const QStringList& args, const QString& in = {}) {
        return std::make_unique<PlayerProcess>(in.isEmpty() ? folder() : in, bus.address(),
                                               runtime(), args);
    }
    // Waits for the player's desktop controls to answer with `status`.
    bool WaitForStatus(const QString& status, const QString& service = kMpris) {
        return WaitUntil([&] { return Status(bus, service) == status; }, kStartMs);
    }
    QDBusMessage Player(const QString& method, const QVariantList& args = {}) {
        return bus.Call(kMpris, kPath, kPlayer, method, args);
    }
    bool SetProperty(const QString& name, const QVariant& value) {
        const QDBusMessage reply = bus.Call(
            kMpris, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
            {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    std::string Playlist() const {
        return ReadBytes(playlistFolder / "pl1.txt") + "|" + ReadBytes(playlistFolder / "pl2.txt");
    }

    TempFolder playlistFolder;
    TempFolder runtimeFolder;
    PrivateBus bus;
};

TEST_F(DesktopEndToEndTest, CommandLineFilesPlayAndPlayerctlDrivesThePlayerAsItsButtonsDo) {
    const auto dir = DefaultClipDir();
    // Long enough that no clip ends on its own while the test drives it.
    const auto video = MakeClip(ClipKind::Mpeg1, dir, 20000);
    const auto melody = MakeClip(ClipKind::Mp3, dir, 10000);
    WriteBytes(playlistFolder / "notes.txt", "not media");
    WriteBytes(playlistFolder / "song.mp3", "la la la\n");
    FakeScreenSaver screenSaver(bus);
    SignalLog signalLog(bus);

    auto player = Start({Q(video), Q(melody), QStringLiteral("notes.txt"),
                         QStringLiteral("missing.wav"), QStringLiteral("song.mp3")});
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing"))) << player->StandardError().toStdString();
    EXPECT_EQ(Title(bus), Q(video.filename()));
    const QString errors = player->StandardError();
    EXPECT_TRUE(errors.contains(QStringLiteral("notes.txt"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("missing.wav"))) << errors.toStdString();
    // Named like a song, but text: its content decides.
    EXPECT_TRUE(errors.contains(QStringLiteral("song.mp3: not a media file")))
        << errors.toStdString();
    EXPECT_EQ(errors.count(QStringLiteral("not added")), 3) << errors.toStdString();
    // Appended under their names and saved at once, as Add saves.
    EXPECT_EQ(Playlist(), video.filename().string() + "\r\n" + melody.filename().string() +
                              "\r\n|" + video.string() + "\r\n" + melody.string() + "\r\n");
    const QVariantMap meta = Metadata(bus);
    EXPECT_EQ(meta.value(QStringLiteral("xesam:url")).toString(),
              QUrl::fromLocalFile(Q(video)).toString());
    EXPECT_NEAR(meta.value(QStringLiteral("mpris:length")).toLongLong(), 20000000, 300000);
    EXPECT_EQ(bus.PlayerProperty(kMpris, QStringLiteral("CanGoNext")).toBool(), true);
    EXPECT_EQ(bus.PlayerProperty(kMpris, QStringLiteral("CanGoPrevious")).toBool(), false);
    // A picture plays: the screen saver is held off.
    ASSERT_TRUE(WaitUntil([&] { return screenSaver.active() == 1; }));

    EXPECT_EQ(Playerctl(bus, {QStringLiteral("pause")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Paused")));
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("status")}), QStringLiteral("Paused"));
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 0; }));
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("play-pause")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 1; }));

    // Slow motion is the button's 40 per cent; the loop is Auto Replay.
    EXPECT_TRUE(SetProperty(QStringLiteral("Rate"), 0.4));
    EXPECT_DOUBLE_EQ(bus.PlayerProperty(kMpris, QStringLiteral("Rate")).toDouble(), 0.4);
    EXPECT_TRUE(SetProperty(QStringLiteral("Rate"), 1.0));
    EXPECT_DOUBLE_EQ(bus.PlayerProperty(kMpris, QStringLiteral("Rate")).toDouble(), 1.0);
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("loop"), QStringLiteral("Track")}), QString());
    EXPECT_TRUE(WaitUntil(
        [&] { return Playerctl(bus, {QStringLiteral("loop")}) == QStringLiteral("Track"); }));
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("loop"), QStringLiteral("None")}), QString());
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("volume"), QStringLiteral("0.25")}), QString());
    EXPECT_TRUE(WaitUntil(
        [&] { return bus.PlayerProperty(kMpris, QStringLiteral("Volume")).toDouble() == 0.25; }));

    EXPECT_EQ(Playerctl(bus, {QStringLiteral("position"), QStringLiteral("2")}), QString());
    ASSERT_TRUE(WaitUntil([&] { return !signalLog.seeks.isEmpty(); }));
    EXPECT_NEAR(signalLog.seeks.first(), 2000000, 300000);
    EXPECT_GE(bus.PlayerProperty(kMpris, QStringLiteral("Position")).toLongLong(), 1700000);

    // Next is the end-of-media advance: the entry after the selected one. A
    // sound file lets the screen saver go.
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("next")}), QString());
    EXPECT_TRUE(WaitUntil([&] { return Title(bus) == Q(melody.filename()); }));
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 0; }));
    EXPECT_EQ(bus.PlayerProperty(kMpris, QStringLiteral("CanGoNext")).toBool(), false);
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("previous")}), QString());
    EXPECT_TRUE(WaitUntil([&] { return Title(bus) == Q(video.filename()); }));
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 1; }));
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("stop")}), QString());
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 0; }));

    // Every change went out as it happened.
    EXPECT_TRUE(WaitUntil([&] { return signalLog.statuses.contains(QStringLiteral("Stopped")); }));
    EXPECT_TRUE(signalLog.statuses.contains(QStringLiteral("Paused")));
    EXPECT_TRUE(signalLog.statuses.contains(QStringLiteral("Playing")));

    // Play again, then quit as the close bar does: the playlist is written and
    // the screen saver let go.
    EXPECT_EQ(Playerctl(bus, {QStringLiteral("play")}), QString());
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 1; }));
    std::filesystem::remove(playlistFolder / "pl1.txt");
    const QDBusMessage quit = bus.Call(kMpris, kPath, kRoot, QStringLiteral("Quit"));
    EXPECT_EQ(quit.type(), QDBusMessage::ReplyMessage) << quit.errorMessage().toStdString();
    ASSERT_TRUE(player->WaitForExit(kStartMs));
    EXPECT_EQ(player->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player->process().exitCode(), 0) << player->StandardError().toStdString();
    EXPECT_EQ(ReadBytes(playlistFolder / "pl1.txt"),
              video.filename().string() + "\r\n" + melody.filename().string() + "\r\n");
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.active() == 0; }));
}

// What other programs keep comes in as it is: a playlist file and a folder on
// the command line, a web address through OpenUri. The playlist's entries come
// in its order with its titles, the first playing, a missing one named; the
// folder's media in natural name order; web addresses kept as given.
TEST_F(DesktopEndToEndTest, PlaylistFilesFoldersAndWebAddressesComeInAsGiven) {
    const auto dir = DefaultClipDir();
    const auto melody = MakeClip(ClipKind::Mp3, dir, 10000);
    const auto tune = MakeClip(ClipKind::Wav, dir, 2000);
    std::filesystem::create_directories(playlistFolder / "album");
    for (const char* name : {"t10.wav", "t9.wav"})
        std::filesystem::copy_file(tune, playlistFolder / "album" / name);
    WriteBytes(playlistFolder / "album" / "cover.jpg", "not media");
    WriteBytes(playlistFolder / "party.m3u8",
               "#EXTM3U\n#EXTINF:10,Opening\n" + melody.string() +
                   "\nhttps://radio.example/stream.mp3\nmissing.mp3\n");

    auto player = Start({QStringLiteral("party.m3u8"), QStringLiteral("album")});
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing"))) << player->StandardError().toStdString();
    const std::string root = playlistFolder.path().string();
    const std::string expected = "Opening\r\nstream.mp3\r\nt9.wav\r\nt10.wav\r\n|" +
                                 melody.string() + "\r\nhttps://radio.example/stream.mp3\r\n" +
                                 root + "/album/t9.wav\r\n" + root + "/album/t10.wav\r\n";
    EXPECT_TRUE(WaitUntil([&] { return Playlist() == expected; })) << Playlist();
    EXPECT_EQ(Title(bus), QStringLiteral("Opening"));
    const QString errors = player->StandardError();
    EXPECT_TRUE(errors.contains(
        QStringLiteral("not added: %1/missing.mp3 (listed in party.m3u8): no such file")
            .arg(folder())))
        << errors.toStdString();
    EXPECT_EQ(errors.count(QStringLiteral("not added")), 1) << errors.toStdString();

    const QString station = QStringLiteral("http://127.0.0.1:9/Other%20Station?id=1");
    EXPECT_EQ(Player(QStringLiteral("OpenUri"), {station}).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitUntil([&] {
        return ReadBytes(playlistFolder / "pl2.txt").ends_with(station.toStdString() + "\r\n");
    })) << Playlist();
    EXPECT_TRUE(ReadBytes(playlistFolder / "pl1.txt").ends_with("\r\nOther Station\r\n"));
}

TEST_F(DesktopEndToEndTest, BadCallsAnswerWithErrorsOrNothingAndNeverTouchThePlaylist) {
    const auto dir = DefaultClipDir();
    const auto melody = MakeClip(ClipKind::Mp3, dir, 2000);
    const auto tune = MakeClip(ClipKind::Wav, dir, 2000);
    WriteBytes(playlistFolder / "pl1.txt", "melody\r\ntune\r\n");
    WriteBytes(playlistFolder / "pl2.txt", melody.string() + "\r\n" + tune.string() + "\r\n");
    const std::string saved = Playlist();
    // A real file whose name the playlist files could not hold.
    const QString broken = folder() + QStringLiteral("/two\nlines.mp3");
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto player = Start({});
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));

    // Nothing open yet: transport and seeks change nothing.
    for (const char* method : {"Pause", "Stop", "Previous"}) {
        EXPECT_EQ(Player(QString::fromLatin1(method)).type(), QDBusMessage::ReplyMessage) << method;
    }
    EXPECT_EQ(Player(QStringLiteral("Seek"), {qlonglong{5000000}}).type(),
              QDBusMessage::ReplyMessage);
    const QDBusMessage remote =
        Player(QStringLiteral("OpenUri"), {QStringLiteral("ftp://example.org/a.mp3")});
    EXPECT_EQ(remote.type(), QDBusMessage::ErrorMessage);
    const QDBusMessage missing =
        Player(QStringLiteral("OpenUri"), {QUrl::fromLocalFile(folder() + "/none.mp3").toString()});
    EXPECT_EQ(missing.type(), QDBusMessage::ErrorMessage);
    const QDBusMessage twoLines =
        Player(QStringLiteral("OpenUri"), {QUrl::fromLocalFile(broken).toString()});
    EXPECT_EQ(twoLines.type(), QDBusMessage::ErrorMessage);
    WriteBytes(playlistFolder / "song.mp3", "la la la\n");
    const QDBusMessage text =
        Player(QStringLiteral("OpenUri"),
               {QUrl::fromLocalFile(Q(playlistFolder / "song.mp3")).toString()});
    EXPECT_EQ(text.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(text.errorMessage().contains(QStringLiteral("not a media file")))
        << text.errorMessage().toStdString();
    EXPECT_EQ(Playlist(), saved);
    // The kinds offered to the desktop are those of the menu entry, today's among them.
    const QStringList offered =
        bus.Call(kMpris, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("Get"), {kRoot, QStringLiteral("SupportedMimeTypes")})
            .arguments()
            .value(0)
            .value<QDBusVariant>()
            .variant()
            .toStringList();
    for (const char* type : {"audio/mpeg", "video/mpeg", "video/mp4", "video/webm",
                             "video/x-matroska", "audio/ogg", "audio/flac"}) {
        EXPECT_TRUE(offered.contains(QLatin1String(type))) << type;
    }
    EXPECT_EQ(Status(bus), QStringLiteral("Stopped"));

    // A run of random calls with arguments good and bad, seeded so that a
    // failure can be repeated.
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE("seed " + std::to_string(seed));
    QRandomGenerator random(seed);
    const qlonglong positions[] = {-1,
                                   0,
                                   1000,
                                   1500000,
                                   999999999999LL,
                                   std::numeric_limits<qlonglong>::max(),
                                   std::numeric_limits<qlonglong>::min()};
    const double values[] = {-1.0, 0.0, 0.3, 0.4,
                             0.5,  1.0, 7.0, std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 150; ++i) {
        const qlonglong position = positions[random.bounded(7)];
        const double value = values[random.bounded(8)];
        switch (random.bounded(12)) {
            case 0:
                Player(QStringLiteral("Play"));
                break;
            case 1:
                Player(QStringLiteral("Pause"));
                break;
            case 2:
                Player(QStringLiteral("PlayPause"));
                break;
            case 3:
                Player(QStringLiteral("Stop"));
                break;
            case 4:
                Player(QStringLiteral("Next"));
                break;
            case 5:
                Player(QStringLiteral("Previous"));
                break;
            case 6:
                Player(QStringLiteral("Seek"), {position});
                break;
            case 7: {
                const QString track =
                    random.bounded(2) == 0
                        ? Metadata(bus)
                              .value(QStringLiteral("mpris:trackid"))
                              .value<QDBusObjectPath>()
                              .path()
                        : QStringLiteral("/org/kelto/Player/Track/R7_000000000000");
                const QDBusObjectPath path(track.isEmpty() ? QStringLiteral("/") : track);
                Player(QStringLiteral("SetPosition"), {QVariant::fromValue(path), position});
                break;
            }
            case 8:
                SetProperty(QStringLiteral("Volume"), value);
                break;
            case 9:
                SetProperty(QStringLiteral("Rate"), value);
                break;
            case 10:
                SetProperty(QStringLiteral("LoopStatus"), random.bounded(2) == 0
                                                              ? QStringLiteral("Playlist")
                                                              : QStringLiteral("None"));
                break;
            default:
                Player(QStringLiteral("OpenUri"),
                       {random.bounded(2) == 0 ? QStringLiteral("file:///dev/null")
                                               : QStringLiteral(":")});
                break;
        }
    }
    // Still answering, the playlist as it was, and a volume never out of range.
    EXPECT_EQ(player->process().state(), QProcess::Running)
        << player->StandardError().toStdString();
    const double volume = bus.PlayerProperty(kMpris, QStringLiteral("Volume")).toDouble();
    EXPECT_GE(volume, 0.0);
    EXPECT_LE(volume, 1.0);
    EXPECT_EQ(Playlist(), saved);
    EXPECT_EQ(bus.Call(kMpris, kPath, kRoot, QStringLiteral("Quit")).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(player->WaitForExit(kStartMs));
    EXPECT_EQ(player->process().exitCode(), 0) << player->StandardError().toStdString();
    EXPECT_EQ(Playlist(), saved);
}

// An entry that will not play leaves the desktop no track to show and the
// player stopped, until one plays; a Latin-1 name plays by its bytes and is
// named by them; the volume takes any number, kept within what the device
// takes.
TEST_F(DesktopEndToEndTest, AnEntryThatWillNotPlayIsNoTrackAndTheVolumeIsKeptInRange) {
    const auto notes = playlistFolder / "notes.mp3";
    WriteBytes(notes, "not media");
    const auto latin1 = playlistFolder / "caf\xE9.wav";
    std::filesystem::copy_file(MakeClip(ClipKind::Wav, DefaultClipDir(), 20000), latin1);
    WriteBytes(playlistFolder / "pl1.txt", "notes.mp3\r\ncaf\xE9.wav\r\n");
    WriteBytes(playlistFolder / "pl2.txt", notes.string() + "\r\n" + latin1.string() + "\r\n");
    auto player = Start({});
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));

    EXPECT_EQ(Player(QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitUntil([&] { return player->StandardError().contains("cannot play"); }))
        << player->StandardError().toStdString();
    EXPECT_TRUE(player->StandardError().contains(Q(notes)))
        << player->StandardError().toStdString();
    EXPECT_TRUE(WaitUntil([&] {
        const QVariantMap meta = Metadata(bus);
        return meta.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path() ==
                   QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack") &&
               !meta.contains(QStringLiteral("xesam:title"));
    })) << "no track";
    EXPECT_EQ(Status(bus), QStringLiteral("Stopped"));

    EXPECT_EQ(Player(QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(WaitUntil([&] { return Title(bus) == QStringLiteral("caf\u00E9.wav"); }));
    const QString url = Metadata(bus).value(QStringLiteral("xesam:url")).toString();
    EXPECT_TRUE(url.endsWith(QStringLiteral("/caf%E9.wav"))) << url.toStdString();
    for (const auto& [asked, kept] : {std::pair{-0.5, 0.0}, std::pair{2.0, 1.0}}) {
        EXPECT_TRUE(SetProperty(QStringLiteral("Volume"), asked)) << asked;
        EXPECT_TRUE(WaitUntil([&, kept = kept] {
            return bus.PlayerProperty(kMpris, QStringLiteral("Volume")).toDouble() == kept;
        })) << asked;
    }
    EXPECT_EQ(bus.Call(kMpris, kPath, kRoot, QStringLiteral("Quit")).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(player->WaitForExit(kStartMs));
}

// The volume set from the desktop is the player's, kept in its history: the
// next start plays at it, and the desktop is told so.
TEST_F(DesktopEndToEndTest, TheVolumeSetFromTheDesktopComesBackAtTheNextStart) {
    const auto clip = MakeClip(ClipKind::Wav, DefaultClipDir(), 20000);
    const auto volume = [&] { return bus.PlayerProperty(kMpris, QStringLiteral("Volume")); };
    for (int start = 0; start < 2; ++start) {
        auto player = Start({Q(clip)});
        ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing"))) << start;
        if (start == 0) {
            EXPECT_EQ(volume().toDouble(), 1.0);
            EXPECT_TRUE(SetProperty(QStringLiteral("Volume"), 0.4));
        }
        EXPECT_TRUE(WaitUntil([&] { return volume().toDouble() == 0.4; }))
            << start << " " << volume().toDouble();
        EXPECT_EQ(bus.Call(kMpris, kPath, kRoot, QStringLiteral("Quit")).type(),
                  QDBusMessage::ReplyMessage);
        ASSERT_TRUE(player->WaitForExit(kStartMs));
        EXPECT_FALSE(player->StandardError().contains(QStringLiteral("history")))
            << player->StandardError().toStdString();
    }
    EXPECT_TRUE(
        QFileInfo::exists(runtime() + QStringLiteral("/state/kelto-player/history.sqlite")));
}

TEST_F(DesktopEndToEndTest, ASecondStartInTheFolderHandsItsFilesOverAnotherFolderGetsItsOwnPlayer) {
    const auto dir = DefaultClipDir();
    const auto tune = MakeClip(ClipKind::Wav, dir, 3000);
    auto first = Start({});
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    ASSERT_TRUE(WaitUntil([&] {
        return bus.HasName(desktop::FolderClaim(folder(), QDBusConnection(QString())).busName());
    }));

    auto second = Start({Q(tune), QStringLiteral("nothing-here.mpg")});
    ASSERT_TRUE(second->WaitForExit(kStartMs));
    EXPECT_EQ(second->process().exitCode(), 0);
    EXPECT_TRUE(second->StandardError().contains(QStringLiteral("nothing-here.mpg")));
    // The running player took the file, saved it and plays it.
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_EQ(Title(bus), Q(tune.filename()));
    EXPECT_EQ(ReadBytes(playlistFolder / "pl2.txt"), tune.string() + "\r\n");

    TempFolder elsewhere;
    auto other = Start({}, Q(elsewhere.path()));
    const QString instance = kMpris + QStringLiteral(".instance") + QString::number(other->pid());
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped"), instance));
    EXPECT_EQ(bus.Call(instance, kPath, kRoot, QStringLiteral("Quit")).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(other->WaitForExit(kStartMs));
    EXPECT_EQ(other->process().exitCode(), 0);
    // The first player never saw the other folder's start.
    EXPECT_EQ(ReadBytes(playlistFolder / "pl2.txt"), tune.string() + "\r\n");
    EXPECT_EQ(first->process().state(), QProcess::Running);
}

TEST_F(DesktopEndToEndTest, WithoutABusTheFolderLockStopsASecondStartButNeverOutlivesItsPlayer) {
    const auto dir = DefaultClipDir();
    const auto tune = MakeClip(ClipKind::Wav, dir, 1000);
    WriteBytes(playlistFolder / "pl1.txt", "a.wav\r\n");
    WriteBytes(playlistFolder / "pl2.txt", "/m/a.wav\r\n");
    const auto before = std::filesystem::last_write_time(playlistFolder / "pl2.txt");
    const QString lock =
        desktop::FolderClaim(folder(), QDBusConnection(QString()), runtime()).lockPath();
    // Whether a process holds the lock, read from the kernel's list of locks
    // rather than by trying it, which could turn a starting player away.
    const auto running = [&](const QString& lockFile) {
        struct stat info {};
        if (::stat(QFile::encodeName(lockFile).constData(), &info) != 0) return false;
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly)) return false;
        const QString inode = QStringLiteral(":%1 ").arg(static_cast<qulonglong>(info.st_ino));
        const QStringList lines = QString::fromLatin1(locks.readAll()).split(QLatin1Char('\n'));
        return std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line.contains(QStringLiteral("FLOCK")) && line.contains(inode);
        });
    };

    auto first = std::make_unique<PlayerProcess>(folder(), QString(), runtime(), QStringList{});
    ASSERT_TRUE(WaitUntil([&] { return running(lock); }, kStartMs));
    PlayerProcess second(folder(), QString(), runtime(), {Q(tune)});
    ASSERT_TRUE(second.WaitForExit(kStartMs));
    EXPECT_EQ(second.process().exitCode(), 1);
    EXPECT_TRUE(second.StandardError().contains(QStringLiteral("does not start")))
        << second.StandardError().toStdString();
    EXPECT_EQ(ReadBytes(playlistFolder / "pl2.txt"), "/m/a.wav\r\n");
    EXPECT_EQ(std::filesystem::last_write_time(playlistFolder / "pl2.txt"), before);

    // A killed player leaves its lock file behind, but not the lock.
    ::kill(static_cast<pid_t>(first->pid()), SIGKILL);
    ASSERT_TRUE(first->WaitForExit());
    EXPECT_TRUE(QFileInfo::exists(lock));
    PlayerProcess third(folder(), QString(), runtime(), {});
    ASSERT_TRUE(WaitUntil([&] { return running(lock); }, kStartMs));
    PlayerProcess fourth(folder(), QString(), runtime(), {});
    ASSERT_TRUE(fourth.WaitForExit(kStartMs));
    EXPECT_EQ(fourth.process().exitCode(), 1);
    EXPECT_EQ(third.process().state(), QProcess::Running);
}

}  // namespace
}  // namespace kelto::testing

#include "DesktopEndToEndTest.moc"
