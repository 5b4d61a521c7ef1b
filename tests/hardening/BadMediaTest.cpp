// Files a user may put in a playlist that are not what they claim, or that
// change under the player. Whatever the file, every command must answer within
// its bound with a clear result, and the next entry must open and play.

#include <grp.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QProcess>

#include <cstdio>
#include <cstdlib>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "tests/hardening/HardeningSupport.h"
#include "tests/support/media/TestClips.h"

namespace kelto::hardening {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;
using testing::ClipKind;

constexpr ClipKind kEveryKind[] = {ClipKind::Mp3,   ClipKind::Mp2, ClipKind::Wav, ClipKind::Midi,
                                   ClipKind::Mpeg1, ClipKind::Avi, ClipKind::Vob};

std::string KindName(const ::testing::TestParamInfo<ClipKind>& info) {
    return testing::ExtensionOf(info.param).substr(1);
}

fs::path GoodClip(ClipKind kind) { return testing::MakeClip(kind, testing::DefaultClipDir()); }

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

class BadMediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name) {
            c = c == '/' ? '_' : c;
        }
        dir_ = fs::temp_directory_path() /
               ("kelto-hardening-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir_, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, ec);
        }
        fs::remove_all(dir_, ec);
    }

    fs::path Write(const std::string& name, const std::string& bytes) {
        fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    // Sends a command and holds it to its bound.
    TimedAnswer Send(const std::string& command) {
        TimedAnswer answer = SendTimed(service_, command);
        EXPECT_LE(answer.took, BoundFor(command))
            << '"' << command.substr(0, command.find_last_not_of(' ') + 1) << "\" took "
            << std::chrono::duration_cast<milliseconds>(answer.took).count() << " ms";
        if (answer.code != 0) {
            EXPECT_EQ(answer.reply, "") << command;
        }
        return answer;
    }

    std::int64_t Number(const std::string& command) {
        const TimedAnswer answer = Send(command);
        EXPECT_EQ(answer.code, 0u) << command;
        const std::int64_t value = ParseReply(answer.reply);
        EXPECT_GE(value, 0) << command << " replied \"" << answer.reply << '"';
        return value;
    }

    // The player's way in: close everything, open under "movie".
    std::uint32_t OpenAsPlayer(const fs::path& path) {
        Send("Close All");
        return Send(PlayerOpenCommand(path)).code;
    }

    // The player's way through: frames, the whole length, then its end test
    // (position at the length) polled until the device stops. False when it
    // has not stopped within `limit`.
    bool PlayToTheEnd(milliseconds limit = milliseconds(30000)) {
        Send("set movie time format frames");
        const std::int64_t length = Number("status movie length");
        EXPECT_EQ(Send(Padded("play movie from 0 to " + std::to_string(length), 128)).code, 0u);
        return WaitUntilStopped(length, limit);
    }

    bool WaitUntilStopped(std::int64_t length, milliseconds limit) {
        const auto deadline = steady_clock::now() + limit;
        while (steady_clock::now() < deadline) {
            const std::int64_t position = Number("status movie position");
            EXPECT_LE(position, length);
            const std::string mode = Send("status movie mode").reply;
            if (mode == "stopped") {
                EXPECT_EQ(Number("status movie position"), length) << "stopped short of the end";
                return true;
            }
            EXPECT_EQ(mode, "playing");
            std::this_thread::sleep_for(milliseconds(40));
        }
        return false;
    }

    // After a bad entry the next one (a good clip) opens and plays to its end.
    void ExpectNextEntryPlays(ClipKind kind) { ExpectNextEntryPlays(GoodClip(kind)); }
    void ExpectNextEntryPlays(const fs::path& clip) {
        SCOPED_TRACE("next entry");
        ASSERT_EQ(OpenAsPlayer(clip), 0u);
        EXPECT_TRUE(PlayToTheEnd());
        EXPECT_EQ(Send("Close All").code, 0u);
        EXPECT_EQ(service_.OpenDeviceCount(), 0u);
    }

    fs::path dir_;
    mciservice::MciService service_;
};

TEST_F(BadMediaTest, FilesThatAreNoMediaGive296AndLeaveNoDevice) {
    fs::create_directory(dir_ / "folder.mpg");
    const fs::path cases[] = {
        Write("empty.mpg", ""),
        Write("noise.mpg", Noise(std::size_t{200} * 1024, 1)),
        Write("noise.mp3", Noise(std::size_t{64} * 1024, 2)),
        Write("noise.mid", Noise(std::size_t{16} * 1024, 3)),
        // Starts like a MIDI file, then nonsense.
        Write("header.mid", std::string("MThd\0\0\0\6\0\1\0\1\1\xE0MTrk", 18) + Noise(4096, 4)),
        dir_ / "folder.mpg",
    };
    for (const fs::path& path : cases) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_EQ(OpenAsPlayer(path), 296u);
        EXPECT_EQ(Send("status movie mode").code, 263u);
        EXPECT_EQ(service_.OpenDeviceCount(), 0u);
    }
    ExpectNextEntryPlays(ClipKind::Mp3);
}

TEST_F(BadMediaTest, MissingFileGives275) {
    EXPECT_EQ(OpenAsPlayer(dir_ / "gone.mpg"), 275u);
    // What the player sends when the short path could not be had.
    EXPECT_EQ(Send(Padded("open  type MPEGVideo Alias movie parent 0 Style 1073741824", 255)).code,
              292u);
    ExpectNextEntryPlays(ClipKind::Wav);
}

// Runs one test of this program again in a child process that has given up
// root's right to read any file. Returns the child's exit status, or -1 when
// privileges could not be dropped.
int RunUnprivileged(const std::string& test) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    // Only async-signal-safe calls between fork and exec: the service's
    // threads may hold locks the child would inherit.
    child.setChildProcessModifier([] {
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
            _exit(77);
        }
    });
    std::fflush(nullptr);
    child.start(QStringLiteral("/proc/self/exe"),
                {QString::fromStdString("--gtest_filter=" + test)});
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() == 77) {
        return -1;
    }
    return child.exitCode();
}

TEST_F(BadMediaTest, UnreadableFileGives296) {
    // The unprivileged run below finds its files ready in its parent's folder,
    // as it may not be able to reach the build tree.
    constexpr const char* kFolderVariable = "KELTO_HARDENING_UNREADABLE_DIR";
    const char* given = std::getenv(kFolderVariable);
    const fs::path dir = given != nullptr ? fs::path(given) : dir_;
    if (given == nullptr) {
        const std::string clip = ReadAll(GoodClip(ClipKind::Mpeg1));
        Write("good.mpg", clip);
        fs::permissions(Write("locked.mpg", clip), fs::perms::none);
    }
    if (geteuid() == 0) {
        // Root reads any file, so the case only exists for a plain user.
        setenv(kFolderVariable, dir.c_str(), 1);
        const int status = RunUnprivileged("BadMediaTest.UnreadableFileGives296");
        unsetenv(kFolderVariable);
        if (status < 0) {
            GTEST_SKIP() << "running as root and could not drop privileges: a file without "
                            "read permission cannot be made here";
        }
        EXPECT_EQ(status, 0) << "the unprivileged run failed (its output is above)";
        return;
    }
    const fs::path locked = dir / "locked.mpg";
    ASSERT_NE(access(locked.c_str(), R_OK), 0);
    EXPECT_EQ(OpenAsPlayer(locked), 296u);
    ExpectNextEntryPlays(dir / "good.mpg");
}

TEST_F(BadMediaTest, WrongExtensionStillPlays) {
    struct Case {
        const char* name;
        ClipKind kind;
        bool picture;
    };
    const Case cases[] = {
        {"sound.mpg", ClipKind::Mp3, false},
        {"video.mp3", ClipKind::Mpeg1, true},
        {"pcm.mid", ClipKind::Wav, false},
        {"video.wav", ClipKind::Avi, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(OpenAsPlayer(Write(c.name, ReadAll(GoodClip(c.kind)))), 0u);
        EXPECT_EQ(Send("Where movie destination").code, c.picture ? 0u : 346u);
        EXPECT_TRUE(PlayToTheEnd());
    }
}

class TruncatedMediaTest : public BadMediaTest, public ::testing::WithParamInterface<ClipKind> {};

// A cut file either is refused as unplayable or plays what it has and stops:
// never a hang, never a device stuck "playing".
TEST_P(TruncatedMediaTest, IsRefusedOrPlaysToItsEnd) {
    const std::string whole = ReadAll(GoodClip(GetParam()));
    ASSERT_GT(whole.size(), 50u);
    for (const int percent : {10, 50}) {
        SCOPED_TRACE(std::to_string(percent) + " %");
        const fs::path cut =
            Write("cut-" + std::to_string(percent) + testing::ExtensionOf(GetParam()),
                  whole.substr(0, whole.size() * percent / 100));
        const std::uint32_t code = OpenAsPlayer(cut);
        ASSERT_TRUE(code == 0 || code == 296) << code;
        RecordProperty("cut" + std::to_string(percent), code == 0 ? "plays" : "296");
        if (code == 0) {
            EXPECT_TRUE(PlayToTheEnd());
        }
    }
    ExpectNextEntryPlays(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Formats, TruncatedMediaTest, ::testing::ValuesIn(kEveryKind), KindName);

class ChangingMediaTest : public BadMediaTest, public ::testing::WithParamInterface<ClipKind> {
protected:
    // Opens a copy of a good clip, starts it and lets it play a moment.
    std::int64_t StartCopy(const fs::path& copy) {
        EXPECT_EQ(OpenAsPlayer(copy), 0u);
        Send("set movie time format frames");
        const std::int64_t length = Number("status movie length");
        EXPECT_EQ(Send(Padded("play movie from 0 to " + std::to_string(length), 128)).code, 0u);
        std::this_thread::sleep_for(milliseconds(250));
        return length;
    }

    fs::path Copy() {
        return Write("copy" + testing::ExtensionOf(GetParam()), ReadAll(GoodClip(GetParam())));
    }
};

TEST_P(ChangingMediaTest, DeletedWhilePlayingStillEnds) {
    const fs::path copy = Copy();
    const std::int64_t length = StartCopy(copy);
    fs::remove(copy);
    EXPECT_TRUE(WaitUntilStopped(length, milliseconds(30000)));
    ExpectNextEntryPlays(GetParam());
}

TEST_P(ChangingMediaTest, ShrunkWhilePlayingEndsWithoutHanging) {
    for (const double keep : {0.1, 0.0}) {
        SCOPED_TRACE("kept " + std::to_string(keep));
        const fs::path copy = Copy();
        const std::int64_t length = StartCopy(copy);
        fs::resize_file(
            copy, static_cast<std::uintmax_t>(static_cast<double>(fs::file_size(copy)) * keep));
        EXPECT_TRUE(WaitUntilStopped(length, milliseconds(30000)));
        // Starting over on what is left answers at once too, and ends.
        Send(Padded("play movie from 0 to " + std::to_string(length), 128));
        EXPECT_TRUE(WaitUntilStopped(length, milliseconds(30000)));
    }
    ExpectNextEntryPlays(GetParam());
}

TEST_P(ChangingMediaTest, GrownWhilePlayingEndsAtItsOpenedLength) {
    // Half a file opened, the rest arriving while it plays (a copy still in
    // progress), then junk appended after the end.
    const std::string whole = ReadAll(GoodClip(GetParam()));
    const fs::path growing =
        Write("growing" + testing::ExtensionOf(GetParam()), whole.substr(0, whole.size() / 2));
    if (OpenAsPlayer(growing) == 0) {
        Send("set movie time format frames");
        const std::int64_t length = Number("status movie length");
        EXPECT_EQ(Send(Padded("play movie from 0 to " + std::to_string(length), 128)).code, 0u);
        std::ofstream(growing, std::ios::binary | std::ios::app) << whole.substr(whole.size() / 2);
        EXPECT_TRUE(WaitUntilStopped(length, milliseconds(30000)));
    }
    const fs::path copy = Copy();
    const std::int64_t length = StartCopy(copy);
    std::ofstream(copy, std::ios::binary | std::ios::app) << Noise(std::size_t{256} * 1024, 5);
    EXPECT_TRUE(WaitUntilStopped(length, milliseconds(30000)));
    ExpectNextEntryPlays(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Formats, ChangingMediaTest, ::testing::ValuesIn(kEveryKind), KindName);

}  // namespace
}  // namespace kelto::hardening
