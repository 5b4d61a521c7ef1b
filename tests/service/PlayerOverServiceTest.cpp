#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mci/CommandResult.h"
#include "mci/ModuleMultimedia.h"
#include "mciservice/ServicePlatform.h"
#include "tests/support/media/TestClips.h"

namespace kelto {
namespace {

using std::chrono::milliseconds;

struct PlayerCase {
    testing::ClipKind kind;
    std::int32_t framesPerSecond;  // 1000 for sound alone, counted in milliseconds
};

class PlayerOverServiceTest : public ::testing::TestWithParam<PlayerCase> {};

// The player's own command layer against the real service: open and play the
// whole file as the player does, then poll for its end as its timers would.
TEST_P(PlayerOverServiceTest, PlaysARealClipToItsEnd) {
    mciservice::ServicePlatform platform;
    mci::ModuleMultimedia media(platform);
    const auto clip = testing::MakeClip(GetParam().kind, testing::DefaultClipDir());

    ASSERT_TRUE(mci::IsSuccess(media.CloseAllMedia()));
    ASSERT_TRUE(mci::IsSuccess(media.OpenMedia(0, "movie", clip.string(), "MPEGVideo")));
    EXPECT_EQ(media.GetFramesPerSecond("movie"), GetParam().framesPerSecond);
    EXPECT_EQ(media.GetPlaySpeed("movie"), 100);
    const std::int32_t length = media.GetLengthFrames("movie");
    ASSERT_GT(length, 0);
    ASSERT_TRUE(mci::IsSuccess(media.PlayMedia("movie", "", "")));

    const auto start = std::chrono::steady_clock::now();
    bool atEnd = false;
    int percent = 0;
    while (!atEnd && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        std::this_thread::sleep_for(milliseconds(100));
        percent = media.GetPercentPlayed("movie");
        std::int32_t knownLength = 0;
        atEnd = media.IsAtEnd("movie", knownLength);
        EXPECT_EQ(knownLength, length);
    }
    EXPECT_TRUE(atEnd);
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(800));
    EXPECT_EQ(media.GetPercentPlayed("movie"), 100);
    EXPECT_LE(percent, 100);
    EXPECT_TRUE(mci::IsSuccess(media.CloseAllMedia()));
}

INSTANTIATE_TEST_SUITE_P(Formats, PlayerOverServiceTest,
                         ::testing::Values(PlayerCase{testing::ClipKind::Mpeg1, 25},
                                           PlayerCase{testing::ClipKind::Mp3, 1000}),
                         [](const auto& info) {
                             return testing::ExtensionOf(info.param.kind).substr(1);
                         });

}  // namespace
}  // namespace kelto
