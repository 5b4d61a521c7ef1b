#include "mciservice/ServicePlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "mciservice/ShortPathTable.h"
#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using testing::ClipKind;
using testsupport::Clip;

class ServicePlatformTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (!scratch_.empty()) {
            std::filesystem::remove_all(scratch_);
        }
    }
    const std::filesystem::path& Scratch() {
        if (scratch_.empty()) {
            scratch_ = testsupport::ScratchDir();
        }
        return scratch_;
    }

    MciService service_;
    ServicePlatform platform_{service_};
    std::filesystem::path scratch_;
};

TEST_F(ServicePlatformTest, SendCopiesTheReplyWithinTheCapacity) {
    const std::string open = "open " + Clip(ClipKind::Wav).string() + " alias m";
    char reply[128];
    std::memset(reply, 'x', sizeof reply);
    ASSERT_EQ(platform_.mciSendStringA(open, reply, sizeof reply, 0), 0u);
    EXPECT_STREQ(reply, "1");

    // "stopped" needs 8 bytes with its NUL.
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(platform_.mciSendStringA("status m mode", reply, 8, 0), 0u);
    EXPECT_STREQ(reply, "stopped");
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(platform_.mciSendStringA("status m mode", reply, 7, 0), 268u);
    EXPECT_EQ(reply[0], '\0');

    // No buffer wanted: the command still runs.
    EXPECT_EQ(platform_.mciSendStringA("seek m to 500", nullptr, 0, 0), 0u);
    EXPECT_EQ(platform_.mciSendStringA("status m position", reply, sizeof reply, 0), 0u);
    EXPECT_STREQ(reply, "500");

    // An error leaves an empty reply.
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(platform_.mciSendStringA("status nothing mode", reply, sizeof reply, 0), 263u);
    EXPECT_EQ(reply[0], '\0');
}

TEST_F(ServicePlatformTest, CommandEndsAtItsFirstNul) {
    char reply[128] = {};
    const std::string command("close all\0 and more", 19);
    EXPECT_EQ(platform_.mciSendStringA(command, reply, sizeof reply, 0), 0u);
}

TEST_F(ServicePlatformTest, ErrorStringsFitTheCallersBuffer) {
    char text[128];
    std::memset(text, 'x', sizeof text);
    EXPECT_TRUE(platform_.mciGetErrorStringA(275, text, sizeof text));
    EXPECT_EQ(std::string(text), MciService::ErrorText(275));

    std::memset(text, 'x', sizeof text);
    EXPECT_TRUE(platform_.mciGetErrorStringA(275, text, 7));
    EXPECT_STREQ(text, "Cannot");
    EXPECT_EQ(text[7], 'x');  // nothing written past the capacity

    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(platform_.mciGetErrorStringA(12345, text, sizeof text));
    EXPECT_EQ(text[0], '\0');
}

TEST_F(ServicePlatformTest, WindowRectComesFromTheGivenLookup) {
    platform::WindowRect none;
    EXPECT_FALSE(platform_.GetWindowRect(42, none));
    ServicePlatform withLookup(service_, [](std::int32_t window, platform::WindowRect& r) {
        r = {10, 20, 10 + window, 30};
        return window == 42;
    });
    platform::WindowRect rect;
    EXPECT_TRUE(withLookup.GetWindowRect(42, rect));
    EXPECT_EQ(rect.right - rect.left, 42);
    EXPECT_FALSE(withLookup.GetWindowRect(7, rect));
}

TEST_F(ServicePlatformTest, ShortPathOfMissingFileIsZero) {
    char buffer[255];
    EXPECT_EQ(platform_.GetShortPathNameA("/no/such/file.mp3", buffer, sizeof buffer), 0u);
    EXPECT_EQ(platform_.GetShortPathNameA("", buffer, sizeof buffer), 0u);
    EXPECT_EQ(
        platform_.GetShortPathNameA((Scratch() / "gone it is.mp3").string(), buffer, sizeof buffer),
        0u);
}

TEST_F(ServicePlatformTest, PlainPathGoesAsItIsAndSmallBufferGetsTheSizeNeeded) {
    const std::string path = Clip(ClipKind::Wav).string();
    ASSERT_TRUE(ShortPathTable::IsSafe(path)) << "build folder with unusual characters";
    char buffer[255];
    ASSERT_EQ(platform_.GetShortPathNameA(path, buffer, sizeof buffer), path.size());
    EXPECT_EQ(std::string(buffer), path);

    std::memset(buffer, 'x', sizeof buffer);
    const auto size = static_cast<std::uint32_t>(path.size());
    EXPECT_EQ(platform_.GetShortPathNameA(path, buffer, size), size + 1);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(platform_.GetShortPathNameA(path, buffer, size + 1), size);
}

// Whatever the real name holds, the short form goes unquoted into the player's
// open command (padded or cut to 255 characters) and opens that very file.
TEST_F(ServicePlatformTest, AwkwardNamesTravelThroughTheOpenCommand) {
    const std::string longFolder(120, 'd');
    std::filesystem::create_directories(Scratch() / longFolder / longFolder);
    const std::vector<std::filesystem::path> names = {
        Scratch() / "two words.wav",
        Scratch() / "quote\"in name.wav",
        Scratch() / "comma, and more.wav",
        Scratch() / "clip type MPEGVideo alias other.wav",
        Scratch() / "x alias all.wav",
        Scratch() / "caf\xC3\xA9 na\xC3\xAFve.wav",
        Scratch() / "\"leading quote.wav",
        Scratch() / "wait",
        Scratch() / longFolder / longFolder / "deep.wav",
    };
    char buffer[255];
    std::set<std::string> shortForms;
    std::string lengthOfTheClip;
    {
        // The clip copied under each awkward name, opened by its plain name.
        char reply[128] = {};
        const std::string open = "open " + Clip(ClipKind::Wav).string() + " alias plain";
        ASSERT_EQ(platform_.mciSendStringA(open, reply, sizeof reply, 0), 0u);
        ASSERT_EQ(platform_.mciSendStringA("status plain length", reply, sizeof reply, 0), 0u);
        lengthOfTheClip = reply;
        platform_.mciSendStringA("close plain", nullptr, 0, 0);
    }
    for (const auto& path : names) {
        std::filesystem::copy_file(Clip(ClipKind::Wav), path);
        const std::uint32_t n = platform_.GetShortPathNameA(path.string(), buffer, sizeof buffer);
        ASSERT_GT(n, 0u) << path;
        ASSERT_LT(n, 255u) << path;
        const std::string shortForm(buffer, n);
        EXPECT_TRUE(ShortPathTable::IsSafe(shortForm)) << shortForm;
        shortForms.insert(shortForm);

        std::string open =
            "open " + shortForm + " type MPEGVideo Alias movie parent 0 Style 1073741824";
        open.resize(255, ' ');
        char reply[128] = {};
        EXPECT_EQ(platform_.mciSendStringA(open, reply, sizeof reply, 0), 0u) << path;
        // The very file: its length, not just any file's.
        EXPECT_EQ(platform_.mciSendStringA("status movie length", reply, sizeof reply, 0), 0u);
        EXPECT_STREQ(reply, lengthOfTheClip.c_str());
        EXPECT_EQ(platform_.mciSendStringA("close movie", nullptr, 0, 0), 0u);
    }
    EXPECT_EQ(shortForms.size(), names.size());
    // Asking again gives the same short form.
    EXPECT_EQ(platform_.GetShortPathNameA(names[0].string(), buffer, sizeof buffer),
              platform_.GetShortPathNameA(names[0].string(), buffer, sizeof buffer));
}

TEST(ShortPathTableTest, NamesStandOnlyForWhatTheTableHandedOut) {
    ShortPathTable table;
    const std::filesystem::path folder = testsupport::ScratchDir();
    std::filesystem::create_directories(folder / "a b");
    const auto name = table.ShortForm((folder / "a b").string());
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(table.LongForm(*name), (folder / "a b").string());
    // Names it never gave out, and every other path, come back as they are.
    for (const char* other : {"~0", "~01", "~2", "~", "~1x", "/music/~1", "clip.mp3"}) {
        EXPECT_EQ(table.LongForm(other), other);
    }
    std::filesystem::remove_all(folder);
}

TEST_F(ServicePlatformTest, RelativePathsBecomeAbsolute) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(Clip(ClipKind::Wav).parent_path());
    char buffer[255];
    const std::string name = Clip(ClipKind::Wav).filename().string();
    const std::uint32_t n = platform_.GetShortPathNameA(name, buffer, sizeof buffer);
    std::filesystem::current_path(previous);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(buffer, n), Clip(ClipKind::Wav).string());
}

}  // namespace
}  // namespace kelto::mciservice
