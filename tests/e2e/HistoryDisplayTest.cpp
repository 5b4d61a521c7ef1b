// The history as a person meets it: a film left part way, the player closed
// with its close bar and started again, the offer, and R pressed on the
// keyboard of a real X server.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/e2e/PlayerProcess.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::e2e {
namespace {

// The first seek's target in the player's trace; -1 when none was sent.
int FirstSeekTarget(const PlayerProcess& player) {
    std::smatch match;
    const std::string log = player.Log();
    static const std::regex seek("command [0-9]+ 0 seek movie to ([0-9]+)");
    return std::regex_search(log, match, seek) ? std::stoi(match[1]) : -1;
}

TEST(History, AFilmLeftPartWayIsOfferedAfterARestartAndRGoesBackThere) {
    // 40 s at 25 frames a second; the slider's steps are two seconds. H.264
    // is made several times faster than MPEG-1 at this length.
    const std::filesystem::path film =
        testing::MakeSolidClip(0xff0000, testing::DefaultClipDir(), 40000, testing::ClipKind::Mp4);
    testing::TempFolder state;
    const std::map<std::string, std::string> env = {{"XDG_STATE_HOME", state.path().string()}};
    XDisplay display(1024, 768, false);

    int left = -1;
    {
        PlayerProcess player(display, {film}, "1", env);
        const Box window = player.WaitForWindow();
        display.DoubleClick(player.ScreenX(window, 40), player.ScreenY(window, 137));
        ASSERT_TRUE(player.WaitForCommand("play movie"));
        // About six sevenths along the rail: step 17, 0:34.
        display.Click(player.ScreenX(window, 194), player.ScreenY(window, 94));
        ASSERT_TRUE(player.WaitForCommand("seek movie to "));
        left = FirstSeekTarget(player);
        ASSERT_GT(left, 30 * 25);
        ASSERT_LT(left, 38 * 25);
        EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0)) << player.Log();
    }

    PlayerProcess player(display, {film}, "1", env);
    const Box window = player.WaitForWindow();
    display.DoubleClick(player.ScreenX(window, 40), player.ScreenY(window, 137));
    ASSERT_TRUE(player.WaitForCommand("play movie from 0"));
    EXPECT_EQ(player.CommandCount("seek movie to ", false), 0) << "playing starts at the start";
    // The offer is written over the red picture's top left, in green.
    const Box offer{player.ScreenX(window, 84), player.ScreenY(window, 259),
                    static_cast<int>(150 * player.Scale()), static_cast<int>(40 * player.Scale())};
    EXPECT_TRUE(WaitUntil(
        [&] {
            return display.Screenshot().Count(Rgb{0, 255, 0}, offer) > 20;
        },
        kCeiling))
        << "no offer over the picture";
    // The offer is up once the history has answered; R is taken only then.
    ASSERT_TRUE(WaitUntil(
        [&] {
            display.Key("r");
            return player.CommandCount("seek movie to ") > 0;
        },
        kCeiling))
        << player.Log();
    const int target = FirstSeekTarget(player);
    EXPECT_GE(target, left);
    EXPECT_LT(target, left + 20 * 25) << "where it was left, not later";
    EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0)) << player.Log();
}

}  // namespace
}  // namespace kelto::e2e
