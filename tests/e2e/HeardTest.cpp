// What the real program plays, heard: a private sound server's null sink is
// its only output, and its monitor is measured for the tone's pitch and level
// while XTest keys and the wheel change the sound track and the volume.
#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "tests/e2e/PlayerProcess.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/media/TestFilms.h"
#include "tests/support/sound/NullSink.h"

namespace kelto::e2e {
namespace {

using namespace std::chrono_literals;

// Places in the window's own layout pixels.
constexpr double kFirstRowX = 40, kFirstRowY = 137;                  // the first playlist row
constexpr double kFilmMiddleX = 84 + 160, kFilmMiddleY = 259 + 120;  // the film's middle
constexpr auto kListenSpan = 300ms;
constexpr double kToneTolerance = 30;

// Listens until what is heard satisfies `wanted`; the last thing heard.
template <typename Wanted>
testing::Heard HearUntil(testing::NullSink& sink, Wanted wanted) {
    testing::Heard heard;
    WaitUntil(
        [&] {
            heard = sink.Hear(kListenSpan);
            return wanted(heard);
        },
        kCeiling);
    return heard;
}

bool WithinOf(double value, double target, double tolerance) {
    return value > target - tolerance && value < target + tolerance;
}

// One film with two sound tracks (440 Hz, then 1000 Hz): B moves to the
// other tone; -, the keypad's - and the wheel over the picture each take the
// level down by their steps of 5 %; M silences it.
TEST(Heard, BChangesTheToneTheLevelFallsWithMinusAndTheWheelAndMSilences) {
    testing::NullSink sink;
    const auto film = testing::MakeLanguagesFilm(testing::DefaultClipDir(), 12000);
    XDisplay display(800, 700, false);
    PlayerProcess player(display, {film}, "1", sink.ClientEnv());
    const Box window = player.WaitForWindow();
    const int pictureX = player.ScreenX(window, kFilmMiddleX);
    const int pictureY = player.ScreenY(window, kFilmMiddleY);

    // A double-click that sent nothing never reached the list; a person would
    // double-click again.
    for (int attempt = 0; attempt < 3 && player.CommandCount("play movie", false) == 0; ++attempt) {
        display.DoubleClick(player.ScreenX(window, kFirstRowX), player.ScreenY(window, kFirstRowY));
        WaitUntil([&] { return player.CommandCount("play movie", false) > 0; }, 20s);
    }
    ASSERT_TRUE(player.WaitForCommand("play movie"));
    // Without a window manager the keys go where the pointer is.
    display.MoveTo(pictureX, pictureY);

    // The film's default track, the English one.
    const testing::Heard first = HearUntil(sink, [](const testing::Heard& h) {
        return WithinOf(h.hertz, testing::kEnglishToneHz, kToneTolerance);
    });
    std::cout << "at the start: " << ToString(first) << "\n";
    ASSERT_NEAR(first.hertz, testing::kEnglishToneHz, kToneTolerance) << player.Log();

    display.Key("b");
    ASSERT_TRUE(player.WaitForCommand("setaudio movie stream to 2"));
    HearUntil(sink, [](const testing::Heard& h) {
        return WithinOf(h.hertz, testing::kFrenchToneHz, kToneTolerance);
    });
    // The level at full volume from a stretch wholly after the change.
    const testing::Heard full = sink.Hear(kListenSpan);
    std::cout << "after B: " << ToString(full) << "\n";
    ASSERT_NEAR(full.hertz, testing::kFrenchToneHz, kToneTolerance);
    ASSERT_FALSE(full.Silent());

    // 100 % to 80 %: the sound server scales the samples by the volume.
    const int volumes = player.CommandCount("setaudio movie volume to");
    display.Key("minus");
    display.Key("minus");
    display.Key("KP_Subtract");
    display.Key("KP_Subtract");
    ASSERT_TRUE(player.WaitForCommand("setaudio movie volume to 800"));
    EXPECT_EQ(player.CommandCount("setaudio movie volume to"), volumes + 4);
    const testing::Heard lower = HearUntil(
        sink, [&](const testing::Heard& h) { return WithinOf(h.level / full.level, 0.8, 0.05); });
    std::cout << "after four -: " << ToString(lower) << "\n";
    EXPECT_NEAR(lower.level / full.level, 0.8, 0.05);
    EXPECT_NEAR(lower.hertz, testing::kFrenchToneHz, kToneTolerance);

    // Four notches of the wheel towards you, over the picture: 60 %.
    for (int notch = 0; notch < 4; ++notch) display.Click(pictureX, pictureY, 5);
    ASSERT_TRUE(player.WaitForCommand("setaudio movie volume to 600"));
    const testing::Heard wheeled = HearUntil(
        sink, [&](const testing::Heard& h) { return WithinOf(h.level / full.level, 0.6, 0.05); });
    std::cout << "after four notches: " << ToString(wheeled) << "\n";
    EXPECT_NEAR(wheeled.level / full.level, 0.6, 0.05);

    display.Key("m");
    ASSERT_TRUE(player.WaitForCommand("setaudio movie off"));
    const testing::Heard muted =
        HearUntil(sink, [](const testing::Heard& h) { return h.Silent(); });
    std::cout << "after M: " << ToString(muted) << "\n";
    EXPECT_TRUE(muted.Silent()) << ToString(muted);

    EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0)) << player.Log();
}

}  // namespace
}  // namespace kelto::e2e
