// The player as a screen reader user meets it: the accessible tree read over a
// private accessibility bus through the desktop's own reader library, and the
// window driven by XTest keys alone.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/PlayerProcess.h"
#include "tests/e2e/ReaderBus.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/media/TestClips.h"

namespace kelto::e2e {
namespace {

using namespace std::chrono_literals;

std::string Dump(const std::vector<ReaderNode>& tree) {
    std::string text;
    for (const ReaderNode& node : tree) text += ToString(node) + "\n";
    return text;
}

const ReaderNode* Find(const std::vector<ReaderNode>& tree, const std::string& role,
                       const std::string& name) {
    for (const ReaderNode& node : tree) {
        if (node.role == role && node.name == name) return &node;
    }
    return nullptr;
}

// "1:05 / 3:00" gives 65; -1 for any other text.
int ElapsedSeconds(const std::string& time) {
    int minutes = 0, seconds = 0, totalMinutes = 0, totalSeconds = 0;
    if (std::sscanf(time.c_str(), "%d:%d / %d:%d", &minutes, &seconds, &totalMinutes,
                    &totalSeconds) != 4) {
        return -1;
    }
    return minutes * 60 + seconds;
}

// A machine with no sound at all: no sound server, and a sound library
// configured with no device.
std::map<std::string, std::string> SilentMachine(std::map<std::string, std::string> env,
                                                 const std::filesystem::path& emptyFile) {
    env["PULSE_SERVER"] = "unix:/nonexistent/native";
    env["ALSA_CONFIG_PATH"] = emptyFile.string();
    return env;
}

// One player with a private accessibility bus on one private X server, on a
// machine with no sound.
struct Heard {
    explicit Heard(const std::vector<std::filesystem::path>& playlist)
        : display(800, 700, false),
          bus(display),
          player(display, playlist, "1", SilentMachine(bus.PlayerEnv(), EmptyFile())),
          window(player.WaitForWindow()) {
        // Without a window manager the keys go where the pointer is.
        display.MoveTo(player.ScreenX(window, kBackgroundX), player.ScreenY(window, kBackgroundY));
    }
    std::vector<ReaderNode> Tree() {
        std::vector<ReaderNode> tree;
        WaitUntil(
            [&] {
                tree = bus.ReadTree();
                return Find(tree, "slider", "Seek") != nullptr;
            },
            kCeiling);
        return tree;
    }
    // The time label's name, read afresh.
    std::string Time() {
        for (const ReaderNode& node : Tree()) {
            if (node.description == "Elapsed and total time") return node.name;
        }
        return {};
    }
    void Keys(const std::string& key, int times, const std::string& modifier = "") {
        for (int i = 0; i < times; ++i) display.Key(key, modifier);
    }

    static std::filesystem::path EmptyFile() {
        static const testing::TempFolder folder;
        const std::filesystem::path empty = folder / "empty.conf";
        std::ofstream{empty};
        return empty;
    }

    XDisplay display;
    ReaderBus bus;
    PlayerProcess player;
    Box window;
};

TEST(Reader, HearsEveryShownControlByNameAndNoneOfTheHiddenOnes) {
    Heard h({Clip(0x00ff00, 2000)});
    const std::vector<ReaderNode> tree = h.Tree();
    std::cout << Dump(tree);
    ASSERT_FALSE(tree.empty()) << h.player.Log();

    // The captions without their padding; the tooltips as descriptions.
    const std::vector<std::pair<std::string, std::string>> buttons = {
        {"Play", "Play   F1"},
        {"Pause", "Pause   F2"},
        {"Stop", "Stop   F3"},
        {"Slow Motion", "Slow Motion  F4"},
        {"Fullscreen", "Fullscreen"},
        {"Add to Playlist", "Add media to playlist"},
        {"Remove", "Remove meddia from playlist"},
        {"Clear All", "Clear Playlist"},
        {"Close", "Close"}};
    std::vector<std::string> heard;
    for (const ReaderNode& node : tree) {
        if (node.role == "push button") heard.push_back(node.name);
    }
    std::vector<std::string> expected;
    for (const auto& [name, tip] : buttons) {
        expected.push_back(name);
        const ReaderNode* button = Find(tree, "push button", name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->description, tip);
    }
    // In the order Tab takes: top to bottom, the close bar last.
    EXPECT_EQ(heard, expected);

    const ReaderNode* slider = Find(tree, "slider", "Seek");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value, -1);
    EXPECT_EQ(slider->minimum, -1);
    EXPECT_EQ(slider->maximum, 100);
    const ReaderNode* meter = Find(tree, "progress bar", "Progress");
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->value, 0);
    EXPECT_EQ(meter->maximum, 100);
    EXPECT_NE(Find(tree, "check box", "Auto Replay"), nullptr);
    EXPECT_NE(Find(tree, "list item", Clip(0x00ff00, 2000).filename().string()), nullptr);

    // The hidden controls are not there at all: the paths list (the only list
    // is the playlist), the unused button and text box, the key box.
    int lists = 0;
    for (const ReaderNode& node : tree) {
        if (node.role == "list") ++lists;
        EXPECT_NE(node.name, "Command1");
        EXPECT_NE(node.name, "Text1");
        EXPECT_NE(node.name, "Full-screen keys");
        // Whatever the reader finds directly in the window is on show.
        if (node.depth == 1) {
            EXPECT_TRUE(node.Has("showing")) << ToString(node);
        }
    }
    EXPECT_EQ(lists, 1);

    // Before the first command the result line is heard empty, by what it
    // is for, not by the caption the window was designed with ("Label1").
    const ReaderNode* result = nullptr;
    for (const ReaderNode& node : tree) {
        EXPECT_NE(node.name, "Label1") << ToString(node);
        if (node.description == "Result of the last command") result = &node;
    }
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->name, "Result of the last command");
    EXPECT_EQ(h.player.CloseWithCloseBar(h.window), std::optional<int>(0));
}

// Choose, play, pause, seek and resume with keys alone, and hear the time.
TEST(Reader, PlaysPausesAndSeeksWithKeysOnly) {
    Heard h({Clip(0xff0000, 60000)});
    h.Keys("Tab", 1, "Shift_L");  // from the video area back to the playlist
    h.Keys("Home", 1);
    h.Keys("Return", 1);
    ASSERT_TRUE(h.player.WaitForCommand("play movie"));
    // The reader hears the time run before the pause, so the pause has a time of its own.
    ASSERT_TRUE(WaitUntil([&] { return ElapsedSeconds(h.Time()) >= 1; }, kCeiling));

    h.Keys("Tab", 4);  // the video area, Close, Play, Pause
    h.Keys("space", 1);
    ASSERT_TRUE(h.player.WaitForCommand("Pause movie"));
    const std::string paused = h.Time();
    const int pausedAt = std::max(0, ElapsedSeconds(paused));

    h.Keys("Tab", 5);  // Stop, Slow Motion, Fullscreen, the title strip, the slider
    // A sighted keyboard user sees where the keys go: a green line along the
    // slider's top edge, on the black between it and the meter.
    const Box aboveSlider{h.player.ScreenX(h.window, 10), h.player.ScreenY(h.window, 85), 180, 1};
    EXPECT_TRUE(WaitUntil(
        [&] {
            return h.display.Screenshot().Count(Rgb{0, 255, 0}, aboveSlider) == 180;
        },
        kCeiling));
    h.Keys("Prior", 2);
    ASSERT_TRUE(h.player.WaitForCommand("seek movie to", 2));
    h.Keys("Tab", 5, "Shift_L");
    h.Keys("Return", 1);
    ASSERT_TRUE(h.player.WaitForCommand("Resume movie"));

    // The first time heard after the resume is past the two steps forward,
    // not the time playing on from the pause would give.
    std::string time;
    ASSERT_TRUE(WaitUntil(
        [&] {
            time = h.Time();
            return ElapsedSeconds(time) >= 0 && time != paused;
        },
        kCeiling))
        << "time stayed \"" << time << "\"";
    std::cout << "paused at \"" << paused << "\", after the seek \"" << time << "\"\n";
    EXPECT_GE(ElapsedSeconds(time), pausedAt + 15)
        << "paused at \"" << paused << "\", then \"" << time << "\"";
    EXPECT_NE(time.find(" / 1:00"), std::string::npos) << time;
    const std::vector<ReaderNode> tree = h.Tree();
    const ReaderNode* slider = Find(tree, "slider", "Seek");
    ASSERT_NE(slider, nullptr);
    // The thumb follows playback, so it has moved on from the two steps by now;
    // what it says must be where it stands.
    ASSERT_TRUE(slider->value.has_value());
    const int at = static_cast<int>(*slider->value) * 2;
    EXPECT_GE(at, pausedAt + 15);
    const std::string expected =
        std::to_string(at / 60) + ":" + (at % 60 < 10 ? "0" : "") + std::to_string(at % 60);
    EXPECT_EQ(slider->description, expected + " of 1:00");
    // The film played with no sound output: the outputs tried and passed over
    // said nothing of it on standard error.
    EXPECT_EQ(h.player.Log().find("AL lib"), std::string::npos) << h.player.Log();
    EXPECT_EQ(h.player.CloseWithCloseBar(h.window), std::optional<int>(0));
}

}  // namespace
}  // namespace kelto::e2e
