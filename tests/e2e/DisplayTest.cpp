// The real program on a real X server, driven as a person drives it: XTest
// clicks and keys, and screenshots read back as pixels. Every clip is one
// solid colour, so where its picture lands, and anything drawn over it, can be
// measured to the pixel.
#include <gtest/gtest.h>

#include <iostream>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/PlayerProcess.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/media/TaggedClip.h"
#include "tests/support/media/TestClips.h"

namespace kelto::e2e {
namespace {

using namespace std::chrono_literals;

// 4:3 like the clips, so a full-screen picture covers every pixel; tall
// enough for the window at twice the size.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1200;

const Rgb kRed{255, 0, 0};
const Rgb kYellow{255, 255, 0};
const Rgb kMagenta{255, 0, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};

// Places in the window's own layout pixels (twips / 15).
constexpr double kPictureLeft = 84, kPictureTop = 259;
constexpr double kPictureWidth = 211, kPictureHeight = 197;
constexpr double kReturnLeft = 91, kReturnTop = 273;  // after full screen
constexpr double kRowTop = 137, kRowHeight = 11;      // first playlist row, row pitch
constexpr double kFullscreenButtonX = 317, kButtonsY = 36;
constexpr double kAutoReplayX = 252, kAutoReplayY = 97;
constexpr double kClipWidth = 320, kClipHeight = 240;

std::filesystem::path Sound(int ms) {
    return testing::MakeClip(testing::ClipKind::Wav, testing::DefaultClipDir(), ms);
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

struct Setup {
    bool windowManager;
    std::string scale;
};

std::string NameOf(const ::testing::TestParamInfo<Setup>& info) {
    std::string scale = info.param.scale;
    for (char& c : scale) c = c == '.' ? '_' : c;
    return std::string(info.param.windowManager ? "WindowManager" : "NoWindowManager") + "Scale" +
           scale;
}

// One player on one private X server.
class OnScreen {
public:
    OnScreen(const Setup& setup, const std::vector<std::filesystem::path>& playlist)
        : display(kScreenWidth, kScreenHeight, setup.windowManager),
          player(display, playlist, setup.scale),
          window(player.WaitForWindow()) {}

    double S() const { return player.Scale(); }
    int X(double layoutX) const { return player.ScreenX(window, layoutX); }
    int Y(double layoutY) const { return player.ScreenY(window, layoutY); }

    // The rectangle Qt gives a native child at that layout place and size.
    Box LayoutBox(double left, double top, double width, double height) const {
        return {window.x + Round(left * S()), window.y + Round(top * S()), Round(width * S()),
                Round(height * S())};
    }
    Box VideoRegion() const {
        // Everything below the playlist: where the video area can be.
        return {window.x, Y(215), window.width, window.y + window.height - Y(215)};
    }
    Box Screen() const { return {0, 0, kScreenWidth, kScreenHeight}; }

    // Waits until `colour` covers exactly `box` (within the searched region)
    // and nothing else is drawn inside it.
    ::testing::AssertionResult ShowsPicture(const Rgb& colour, const Box& box,
                                            std::optional<Box> region = std::nullopt) {
        Box seen;
        int other = -1;
        const bool ok = WaitUntil(
            [&] {
                const Image shot = display.Screenshot();
                seen = shot.BoundsOf(colour, region);
                other = shot.CountOther(colour, box);
                return seen == box && other == 0;
            },
            kCeiling);
        if (ok) return ::testing::AssertionSuccess();
        // Kept beside the test's output for a person to look at.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) c = c == '/' ? '-' : c;
        display.Screenshot().SavePpm(name + ".ppm");
        return ::testing::AssertionFailure()
               << "picture expected at " << ToString(box) << ", seen at " << ToString(seen)
               << " with " << other << " other pixels inside";
    }
    ::testing::AssertionResult ShowsFullScreen(const Rgb& colour) {
        return ShowsPicture(colour, Screen());
    }
    ::testing::AssertionResult AllBlack(const Box& box) {
        int other = -1;
        if (WaitUntil(
                [&] {
                    other = display.Screenshot().CountOther(kBlack, box);
                    return other == 0;
                },
                kCeiling)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << other << " pixels of " << ToString(box) << " are not black";
    }

    // A double-click that sent nothing at all never reached the list (a
    // window manager that has just ended a move may keep a press for itself);
    // a person would double-click again.
    void PlayRow(int row) {
        const int opens = player.CommandCount("open ", false);
        for (int attempt = 0; attempt < 3; ++attempt) {
            display.DoubleClick(X(40), Y(kRowTop + kRowHeight * row));
            if (WaitUntil([&] { return player.CommandCount("open ", false) > opens; },
                          std::chrono::seconds(20))) {
                return;
            }
            std::cerr << "a double-click on row " << row << " sent nothing\n";
        }
    }
    void ClickFullscreen() { display.Click(X(kFullscreenButtonX), Y(kButtonsY)); }
    void ClickPicture() { display.Click(kScreenWidth / 2, kScreenHeight / 2); }
    Box PlayedPicture() const {
        return LayoutBox(kPictureLeft, kPictureTop, kClipWidth, kClipHeight);
    }
    Box ReturnedPicture() const {
        return LayoutBox(kReturnLeft, kReturnTop, kClipWidth, kClipHeight);
    }
    void ExpectClosesCleanly() {
        // In a sanitized build a leak or any other fault ends the program with
        // another status.
        EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0)) << player.Log();
    }

    XDisplay display;
    PlayerProcess player;
    Box window;
};

class Display : public ::testing::TestWithParam<Setup> {};
class Playlist : public ::testing::TestWithParam<Setup> {};

// The picture in the window and full screen, the full-screen keys, and every
// way back, with and without a click on the picture first (a click must not
// take the keys away).
TEST_P(Display, PictureFullScreenKeysAndTheWayBack) {
    OnScreen s(GetParam(), {Clip(0xff0000, 30000)});
    // Nothing covers the video area yet: it is black, not stale pixels.
    EXPECT_TRUE(s.AllBlack(s.LayoutBox(kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight)));

    s.PlayRow(0);
    ASSERT_TRUE(s.player.WaitForCommand("play movie"));
    EXPECT_TRUE(s.ShowsPicture(kRed, s.PlayedPicture(), s.VideoRegion()));

    struct WayBack {
        std::string key;
        bool clickFirst;
    };
    int stops = 0;
    for (const WayBack& way : {WayBack{"Escape", true}, WayBack{"Escape", false},
                               WayBack{"F3", true}, WayBack{"F3", false}}) {
        SCOPED_TRACE(way.key + (way.clickFirst ? " after a click" : ""));
        s.ClickFullscreen();
        ASSERT_TRUE(s.ShowsFullScreen(kRed));
        if (way.clickFirst) s.ClickPicture();
        s.display.Key(way.key);
        // Back in the window: the picture at its place and size, nothing over it.
        EXPECT_TRUE(s.ShowsPicture(kRed, s.ReturnedPicture(), s.VideoRegion()));
        if (way.key == "F3") {
            EXPECT_TRUE(s.player.WaitForCommand("Stop movie", ++stops));
        }
    }

    // F1, F2 and F4 act in full screen and keep it.
    s.ClickFullscreen();
    ASSERT_TRUE(s.ShowsFullScreen(kRed));
    s.ClickPicture();
    const int plays = s.player.CommandCount("play movie");
    // F3 stopped the device, which refuses a pause or resume (302); the keys
    // still send them.
    const auto sent = [&](const char* command) {
        return WaitUntil([&] { return s.player.CommandCount(command, false) >= 1; }, kCeiling);
    };
    s.display.Key("F2");
    EXPECT_TRUE(sent("Pause movie"));
    s.display.Key("F2");
    EXPECT_TRUE(sent("Resume movie"));
    s.display.Key("F4");
    EXPECT_TRUE(s.player.WaitForCommand("set movie speed 400"));
    s.display.Key("F4");
    EXPECT_TRUE(s.player.WaitForCommand("set movie speed 1000"));
    s.display.Key("F1");
    EXPECT_TRUE(s.player.WaitForCommand("play movie", plays + 1));
    EXPECT_TRUE(s.ShowsFullScreen(kRed));
    s.display.Key("Escape");
    EXPECT_TRUE(s.ShowsPicture(kRed, s.ReturnedPicture(), s.VideoRegion()));
    s.ExpectClosesCleanly();
}

// A playlist watched full screen stays full screen from entry to entry, on a
// replay as on an advance; a sound file leaves the whole area black.
// The second entry is on the screen only while it plays, and it starts while
// the test still clicks and looks; it is long enough for a loaded machine's
// slow screenshots to catch it.
TEST_P(Playlist, NextEntriesStayFullScreen) {
    OnScreen s(GetParam(), {Clip(0xffff00, 1500), Clip(0xff00ff, 6000), Sound(1500)});
    s.display.Click(s.X(kAutoReplayX), s.Y(kAutoReplayY));
    s.PlayRow(0);
    ASSERT_TRUE(s.player.WaitForCommand("play movie"));
    s.ClickFullscreen();
    ASSERT_TRUE(s.ShowsFullScreen(kYellow));
    // The replay opens the file afresh.
    ASSERT_TRUE(s.player.WaitForCommand("play movie", 2));
    EXPECT_TRUE(s.ShowsFullScreen(kYellow));

    s.display.Key("Escape");
    ASSERT_TRUE(s.ShowsPicture(kYellow, s.ReturnedPicture(), s.VideoRegion()));
    s.display.Click(s.X(kAutoReplayX), s.Y(kAutoReplayY));
    s.ClickFullscreen();
    // The advance to the next entry.
    EXPECT_TRUE(s.ShowsFullScreen(kMagenta));
    // Then the sound file: no picture, the whole screen black.
    ASSERT_TRUE(s.player.WaitForCommand("play movie", 4));
    EXPECT_TRUE(s.AllBlack(s.Screen()));
    s.display.Key("Escape");
    // Back in the window the area stays black: no last frame, no stale pixels.
    EXPECT_TRUE(s.AllBlack(s.VideoRegion()));
    s.ExpectClosesCleanly();
}

const Setup kPlainScreen{false, "1"};

// Films of the kinds people have today land in the video area at their own
// size, each as it is chosen. Auto Replay keeps each one on the screen until
// the next is chosen, so a slow screenshot (a sanitized build on a busy
// machine) cannot miss a short clip.
TEST(TodaysKinds, PicturesLandInTheVideoAreaAtTheirSize) {
    const auto dir = testing::DefaultClipDir();
    OnScreen s(kPlainScreen,
               {testing::MakeSolidClip(0xff0000, dir, 1500, testing::ClipKind::Mp4),
                testing::MakeSolidClip(0xffff00, dir, 1500, testing::ClipKind::Mkv),
                testing::MakeSolidClip(0xff00ff, dir, 1500, testing::ClipKind::WebM)});
    s.display.Click(s.X(kAutoReplayX), s.Y(kAutoReplayY));
    const Rgb colours[] = {kRed, kYellow, kMagenta};
    for (int row = 0; row < 3; ++row) {
        s.PlayRow(row);
        EXPECT_TRUE(s.ShowsPicture(colours[row], s.PlayedPicture(), s.VideoRegion())) << row;
    }
    s.ExpectClosesCleanly();
}

// Whether every pixel of `box` shrunk by `margin` on each side is `colour`,
// waiting for it: edges are left out, where a scaled picture blends colours.
::testing::AssertionResult Covers(OnScreen& s, const Rgb& colour, const Box& box, int margin) {
    const Box inner{box.x + margin, box.y + margin, box.width - 2 * margin,
                    box.height - 2 * margin};
    int other = -1;
    if (WaitUntil(
            [&] {
                other = s.display.Screenshot().CountOther(colour, inner);
                return other == 0;
            },
            kCeiling)) {
        return ::testing::AssertionSuccess();
    }
    s.display.Screenshot().SavePpm("covers.ppm");
    return ::testing::AssertionFailure() << other << " pixels of " << ToString(inner) << " differ";
}

// Films as they are made today: an HD picture shown whole, at its shape, in
// the room below the playlist; a phone's film stored on its side shown upright
// in the window and full screen; an interlaced DVD picture woven whole, never
// combed with the lines of its two fields.
TEST(Pictures, WholeUprightAndWoven) {
    const auto dir = testing::DefaultClipDir();
    samples::ClipRecipe hd;
    hd.kind = testing::ClipKind::Mp4;
    hd.durationMs = 1500;
    hd.width = 1280;
    hd.height = 720;
    hd.solidRgb = 0x00ffff;
    // Stored 240 x 160 with its top 40 rows blue: upright, the blue is a band
    // down the right side.
    samples::ClipRecipe phone;
    phone.kind = testing::ClipKind::Mp4;
    phone.durationMs = 1500;
    phone.width = 240;
    phone.height = 160;
    phone.solidRgb = 0xff0000;
    phone.blueTopRows = 40;
    phone.sideways = true;
    samples::ClipRecipe dvd;
    dvd.kind = testing::ClipKind::Vob;
    dvd.durationMs = 2000;
    dvd.width = 352;
    dvd.height = 288;
    dvd.interlaced = true;
    OnScreen s(kPlainScreen, {testing::MakeRecipeClip(hd, dir, "solid-00ffff-1280x720.mp4"),
                              testing::MakeRecipeClip(dvd, dir, "interlaced-352x288.vob"),
                              testing::MakeRecipeClip(phone, dir, "phone-sideways-240x160.mp4")});
    s.display.Click(s.X(kAutoReplayX), s.Y(kAutoReplayY));

    s.PlayRow(0);
    // 1280 x 720 in 376 x 291: as wide as the room, 16:9.
    EXPECT_TRUE(s.ShowsPicture(Rgb{0, 255, 255}, s.LayoutBox(kPictureLeft, kPictureTop, 376, 211),
                               s.VideoRegion()));

    s.PlayRow(1);
    // Every field alone is all white or all black; woven as they come, a
    // picture would be striped in every frame.
    EXPECT_TRUE(Covers(s, Rgb{255, 255, 255}, s.LayoutBox(kPictureLeft, kPictureTop, 352, 288), 1));

    s.PlayRow(2);
    EXPECT_TRUE(Covers(s, kRed, s.LayoutBox(kPictureLeft, kPictureTop, 120, 240), 2));
    EXPECT_TRUE(Covers(s, kBlue, s.LayoutBox(kPictureLeft + 120, kPictureTop, 40, 240), 2));
    s.ClickFullscreen();
    // Full screen keeps the shape: 800 x 1200 in the middle of the 1600 x 1200 screen.
    EXPECT_TRUE(Covers(s, kRed, Box{400, 0, 600, kScreenHeight}, 20));
    EXPECT_TRUE(Covers(s, kBlue, Box{1000, 0, 200, kScreenHeight}, 20));
    s.display.Key("Escape");
    s.ExpectClosesCleanly();
}

INSTANTIATE_TEST_SUITE_P(Screens, Display,
                         ::testing::Values(Setup{false, "1"}, Setup{false, "2"},
                                           Setup{false, "1.5"}),
                         NameOf);
INSTANTIATE_TEST_SUITE_P(Screens, Playlist,
                         ::testing::Values(Setup{false, "1"}, Setup{false, "2"},
                                           Setup{false, "1.5"}),
                         NameOf);

class Dragging : public ::testing::TestWithParam<Setup> {};

// The window moves with a drag on its surface; a drag on the full-screen
// picture moves nothing (a window manager would restore the window's size and
// leave a screen-sized video area inside it).
TEST_P(Dragging, MovesTheNormalWindowOnly) {
    OnScreen s(GetParam(), {Clip(0xff0000, 30000)});
    const Box before = s.window;
    const int fromX = s.X(kBackgroundX), fromY = s.Y(kBackgroundY);
    s.display.MoveTo(fromX, fromY);
    s.display.Press();
    // A window manager's move starts when it has taken the pointer, from
    // wherever the pointer is then: wiggle until the window is on the move,
    // and measure the drag from the pointer's place at that moment.
    std::optional<Box> moved;
    int wiggle = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            s.display.MoveTo(fromX, fromY + (++wiggle % 2));
            moved = s.display.WindowNamed(PlayerProcess::kTitle);
            return moved && (moved->x != before.x || moved->y != before.y);
        },
        kCeiling));
    // Back at the press point the window stands where it started, or a pixel
    // higher when the move began with the pointer a pixel lower.
    s.display.MoveTo(fromX, fromY);
    ASSERT_TRUE(WaitUntil(
        [&] {
            moved = s.display.WindowNamed(PlayerProcess::kTitle);
            return moved && moved->x == before.x &&
                   (moved->y == before.y || moved->y == before.y - 1);
        },
        kCeiling));
    const Box base = *moved;
    for (int i = 1; i <= 10; ++i) s.display.MoveTo(fromX + 10 * i, fromY + 6 * i);
    const bool followed = WaitUntil(
        [&] {
            moved = s.display.WindowNamed(PlayerProcess::kTitle);
            return moved && moved->x == base.x + 100 && moved->y == base.y + 60;
        },
        kCeiling);
    s.display.Release();
    ASSERT_TRUE(s.display.WaitForPointerFree());
    ASSERT_TRUE(followed) << "window at " << (moved ? ToString(*moved) : "nowhere") << ", from "
                          << ToString(base);
    s.window = *moved;
    // Under the window manager full screen is left out: after its move, one
    // press of a double-click at times never reaches the window (not
    // explained yet), and the case would be left to chance.
    if (GetParam().windowManager) {
        s.ExpectClosesCleanly();
        return;
    }

    s.PlayRow(0);
    ASSERT_TRUE(s.player.WaitForCommand("play movie"));
    s.ClickFullscreen();
    ASSERT_TRUE(s.ShowsFullScreen(kRed));
    s.display.Drag(kScreenWidth / 2, kScreenHeight / 2, kScreenWidth / 2 + 150,
                   kScreenHeight / 2 + 90);
    // The pause shows that every event of the drag has been handled.
    s.display.Key("F2");
    ASSERT_TRUE(s.player.WaitForCommand("Pause movie"));
    EXPECT_TRUE(s.ShowsFullScreen(kRed));
    s.display.Key("Escape");
    EXPECT_TRUE(s.ShowsPicture(kRed, s.ReturnedPicture(), s.VideoRegion()));
    s.ExpectClosesCleanly();
}

INSTANTIATE_TEST_SUITE_P(Screens, Dragging, ::testing::Values(Setup{false, "1"}, Setup{true, "1"}),
                         NameOf);

// The slider spans the open file two seconds a step and its thumb follows
// playback without seeking; a seek to its end plays on into an entry that
// will not open, which the strip, standard error, an empty meter and an
// empty time then say.
TEST(Slider, SpansTheFileFollowsItAndAFailedOpenIsSaid) {
    const std::filesystem::path clip = Clip(0xff0000, 12000);
    const std::filesystem::path broken = clip.parent_path() / "kelto-not-media.mp3";
    std::ofstream(broken) << "not media\n";
    OnScreen s(e2e::Setup{false, "1"}, {clip, broken});
    const Box slider = s.LayoutBox(0, 86, 226, 18);
    const Box meter = s.LayoutBox(7, 55, 201, 24);
    const Box strip = s.LayoutBox(225, 50, 230, 33);
    const Box time = s.LayoutBox(343, 90, 78, 22);
    const Rgb thumb{235, 248, 255};

    s.PlayRow(0);
    ASSERT_TRUE(s.player.WaitForCommand("play movie"));
    const int startX = s.display.Screenshot().BoundsOf(thumb, slider).x;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Image shot = s.display.Screenshot();
            return shot.BoundsOf(thumb, slider).x > startX + 20 && shot.Count(kGreen, meter) > 0;
        },
        kCeiling))
        << "the thumb follows playback and the meter fills";
    EXPECT_EQ(s.player.CommandCount("seek", false), 0) << "following sends no seek";

    // The right end of the rail is the last step within the 12 s file.
    s.display.Click(s.X(224), s.Y(94));
    EXPECT_TRUE(s.player.WaitForCommand("seek movie to 300")) << s.player.Log();
    ASSERT_TRUE(WaitUntil([&] { return s.player.CommandCount("open ", false) == 2; }, kCeiling));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Image shot = s.display.Screenshot();
            return shot.Count(kBlue, strip) > 0 && shot.Count(kGreen, meter) == 0 &&
                   shot.Count(kGreen, time) == 0;
        },
        kCeiling))
        << "the strip speaks, the meter and the time are empty";
    s.display.Screenshot().SavePpm("failed-open.ppm");
    EXPECT_NE(s.player.Log().find("cannot play " + broken.string() + ": "), std::string::npos)
        << s.player.Log();
    s.ExpectClosesCleanly();
}

// Height of the green glyphs inside a box: the size a caption is drawn at.
int GlyphHeight(const Image& shot, const Box& box) { return shot.BoundsOf(kGreen, box).height; }

// Captions grow with the screen's scale like everything else: the close bar's
// and the time label's (once bitmap faces, drawn at one size whatever the scale).
TEST(Captions, ScaleWithTheScreen) {
    XDisplay display(kScreenWidth, kScreenHeight, false);
    std::vector<double> close, time;
    for (const std::string scale : {"1", "2"}) {
        PlayerProcess player(display, {Sound(30000)}, scale);
        const Box window = player.WaitForWindow();
        auto box = [&](double l, double t, double w, double h) {
            return Box{player.ScreenX(window, l), player.ScreenY(window, t),
                       Round(w * player.Scale()), Round(h * player.Scale())};
        };
        display.DoubleClick(player.ScreenX(window, 40), player.ScreenY(window, kRowTop));
        ASSERT_TRUE(player.WaitForCommand("play movie"));
        const Box timeLabel = box(343, 90, 78, 22);
        ASSERT_TRUE(
            WaitUntil([&] { return GlyphHeight(display.Screenshot(), timeLabel) > 0; }, kCeiling));
        const Image shot = display.Screenshot();
        close.push_back(GlyphHeight(shot, box(394, 2, 58, 18)));
        time.push_back(GlyphHeight(shot, timeLabel));
        EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0));
    }
    ASSERT_GT(close[0], 0);
    EXPECT_GE(close[1] / close[0], 1.6) << close[0] << " then " << close[1];
    EXPECT_GE(time[1] / time[0], 1.6) << time[0] << " then " << time[1];
}

// A sound file's empty video area shows its embedded cover, scaled to fit and
// centred, with the artist and title in green under it; a film played next
// has its picture there and no trace of the cover.
TEST(Covers, ASoundFileShowsItsCoverAndAFilmReplacesIt) {
    const testing::TempFolder files;
    const std::filesystem::path song = files.path() / "tagged.mp3";
    testing::ClipTags tags;
    tags.title = "Green Title";
    tags.artist = "Artist";
    tags.cover = testing::SolidPng(0xff00ff, 40, 30);
    testing::WriteTaggedClip(song, tags, 30000);
    XDisplay display(kScreenWidth, kScreenHeight, false);
    PlayerProcess player(display, {song, Clip(0xff0000, 30000)}, "1",
                         {{"XDG_CACHE_HOME", (files.path() / "cache").string()}});
    const Box window = player.WaitForWindow();
    const Box area{player.ScreenX(window, kPictureLeft), player.ScreenY(window, kPictureTop),
                   Round(kPictureWidth), Round(kPictureHeight)};
    const Box below{window.x, player.ScreenY(window, 215), window.width,
                    window.y + window.height - player.ScreenY(window, 215)};
    display.DoubleClick(player.ScreenX(window, 40), player.ScreenY(window, kRowTop));
    ASSERT_TRUE(player.WaitForCommand("play movie"));

    Box cover;
    const bool shown = WaitUntil(
        [&] {
            cover = display.Screenshot().BoundsOf(kMagenta, below);
            return cover.width > 0;
        },
        kCeiling);
    const Image shot = display.Screenshot();
    shot.SavePpm("cover-shown.ppm");
    ASSERT_TRUE(shown) << player.Log();
    // 4:3 kept, as wide as the area allows less its margins, inside the area.
    EXPECT_NEAR(cover.width, area.width - 8, 2) << ToString(cover);
    EXPECT_NEAR(cover.width * 3.0 / 4.0, cover.height, 2) << ToString(cover);
    EXPECT_NEAR(cover.x - area.x, area.x + area.width - (cover.x + cover.width), 2);
    EXPECT_GE(cover.y, area.y);
    EXPECT_EQ(shot.CountOther(kMagenta, cover), 0);
    const Box caption{area.x, cover.y + cover.height, area.width,
                      area.y + area.height - (cover.y + cover.height)};
    EXPECT_GT(shot.Count(kGreen, caption), 20) << "artist and title under the cover";

    display.DoubleClick(player.ScreenX(window, 40), player.ScreenY(window, kRowTop + kRowHeight));
    ASSERT_TRUE(player.WaitForCommand("play movie", 2));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Image now = display.Screenshot();
            return now.Count(kRed, below) > 1000 && now.Count(kMagenta, below) == 0;
        },
        kCeiling))
        << "the film's picture, and no cover";
    EXPECT_EQ(player.CloseWithCloseBar(window), std::optional<int>(0)) << player.Log();
}

}  // namespace
}  // namespace kelto::e2e
