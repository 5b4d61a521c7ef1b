#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/player/PlayerRig.h"
#include "ui/Twips.h"

namespace kelto::testing {
namespace {

using Strings = std::vector<std::string>;

QString Text(const QLabel* label) { return label->text(); }

TEST(PlaySelected, OpensPlaysAndSizesTheVideoArea) {
    PlayerRig rig;
    rig.AddEntries({"/m/first.avi", "/m/second.avi"});
    rig.Select(1);
    rig.form.asxToolbar1->setButtonChecked(2, true);
    rig.form.state.elapsedSeconds = 42;

    rig.playback.PlaySelected();

    Strings expected = OpenAndPlayCommands("/m/second.avi", rig.form.Picture1Handle(), "250");
    expected.insert(expected.end(), 3, "Where movie destination");  // the sizing step
    EXPECT_EQ(rig.TakeCommands(), expected);
    EXPECT_EQ(Text(rig.form.LbResult), "Result calling Function is : Success");
    EXPECT_EQ(Text(rig.form.LbActualCx), "352");
    EXPECT_EQ(Text(rig.form.LbActualCy), "288");
    EXPECT_EQ(Text(rig.form.LbFramesPerSecond), "25");
    EXPECT_EQ(Text(rig.form.LbTotalFrames), "250");
    EXPECT_EQ(Text(rig.form.LbTotalTime), "10   0:10");
    EXPECT_EQ(Text(rig.form.LbCurrentRate), "100 %");
    EXPECT_EQ(ui::WidthTwips(rig.form.Picture1), 5280);
    EXPECT_EQ(ui::HeightTwips(rig.form.Picture1), 4320);
    EXPECT_EQ(rig.form.state.videoWidth, 352);
    EXPECT_EQ(rig.form.state.videoHeight, 288);
    EXPECT_EQ(rig.form.state.elapsedSeconds, 0);
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
    EXPECT_TRUE(rig.form.TimerAtEndFile->isActive());
    EXPECT_TRUE(rig.form.Timerscroll->isActive());
}

// After a failed open every query is refused, so the labels show -1 and the
// play command fails too. The failure is said: on standard error, and on the
// title strip, whose passes repeat it until another file plays; the meter,
// the time and the slider of the file before are emptied.
TEST(PlaySelected, FailedOpenShowsUnknownsAndSaysWhy) {
    PlayerRig rig;
    rig.AddEntries({"/m/gone.avi", "/m/fine.avi"});
    rig.movie.missingPaths.insert("/m/gone.avi");
    rig.Select(1);
    rig.playback.PlaySelected();
    rig.form.Meter31->setValue(20);
    rig.form.lbcurrentime->setText("0:04 / 0:10");
    rig.form.cpvSlider1->setValue(2);
    rig.Select(0);
    const QSize before = rig.form.Picture1->size();
    rig.TakeCommands();

    ::testing::internal::CaptureStderr();
    rig.playback.PlaySelected();
    const std::string said = ::testing::internal::GetCapturedStderr();
    const std::string why =
        "Cannot find the specified file. Make sure the path and filename are correct.";
    EXPECT_EQ(said, "kelto-player: cannot play /m/gone.avi: " + why + "\n");
    EXPECT_EQ(rig.form.stripNotice(), QString::fromStdString("gone.avi: " + why));
    EXPECT_EQ(rig.form.state.playFailure, why);
    EXPECT_EQ(rig.form.Meter31->Value(), 0);
    EXPECT_EQ(Text(rig.form.lbcurrentime), "");
    EXPECT_EQ(rig.form.cpvSlider1->value(), rig.form.cpvSlider1->minimum());
    EXPECT_TRUE(rig.form.Timerscroll->isActive());
    EXPECT_FALSE(rig.form.TimerMisc->isActive()) << "no tick may refill the meter";

    const Strings sent = rig.TakeCommands();
    EXPECT_EQ(sent.back(), "play movie from 0 to -1");
    EXPECT_EQ(Text(rig.form.LbResult),
              "Result calling Function is : The specified device is not open or is not "
              "recognized by MCI.");
    for (const QLabel* label : {rig.form.LbActualCx, rig.form.LbActualCy,
                                rig.form.LbFramesPerSecond, rig.form.LbTotalFrames}) {
        EXPECT_EQ(Text(label), "-1");
    }
    EXPECT_EQ(Text(rig.form.LbTotalTime), "0   0:00");
    EXPECT_EQ(Text(rig.form.LbCurrentRate), "-1 %");
    EXPECT_EQ(rig.form.state.videoWidth, -1);
    EXPECT_EQ(rig.form.Picture1->size(), before);
    EXPECT_TRUE(rig.form.TimerAtEndFile->isActive());

    // Another file plays: the strip names it again, and the slider spans it
    // (ten seconds, two to a step).
    rig.Select(1);
    rig.playback.PlaySelected();
    EXPECT_EQ(rig.form.stripNotice(), "");
    EXPECT_EQ(rig.form.state.playFailure, "");
    EXPECT_EQ(rig.form.cpvSlider1->maximum(), 5);
    EXPECT_EQ(rig.form.cpvSlider1->minimum(), -1);
}

// A name in another encoding is opened by the bytes the playlist holds, not
// by the text it shows.
TEST(PlaySelected, OpensThePathByItsBytes) {
    PlayerRig rig;
    rig.form.List1->addItems({QStringLiteral("caf\u00e9.avi")}, {"caf\xe9.avi"});
    rig.form.List2->addItems({QStringLiteral("/m/caf\u00e9.avi")}, {"/m/caf\xe9.avi"});
    rig.Select(0);
    rig.playback.PlaySelected();
    EXPECT_EQ(rig.movie.openedPath(), "/m/caf\xe9.avi");
}

TEST(PlaySelected, RefusedPlayLeavesTheEndTimerOnAndNothingElse) {
    PlayerRig rig;
    rig.AddEntries({"/m/a.wav"});
    rig.Select(0);
    rig.movie.playCode = 282;
    const QSize before = rig.form.Picture1->size();

    rig.playback.PlaySelected();

    EXPECT_EQ(Text(rig.form.LbResult),
              "Result calling Function is : The specified parameter is out of range for the "
              "specified command.");
    EXPECT_TRUE(rig.form.TimerAtEndFile->isActive());
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
    EXPECT_EQ(rig.form.Picture1->size(), before);
}

TEST(PlaySelected, AudioWithoutPictureKeepsTheVideoArea) {
    PlayerRig rig;
    rig.AddEntries({"/m/a.mp3"});
    rig.Select(0);
    rig.movie.width = std::nullopt;
    const QSize before = rig.form.Picture1->size();

    rig.playback.PlaySelected();

    EXPECT_EQ(Text(rig.form.LbActualCx), "-1");
    EXPECT_EQ(Text(rig.form.LbResult), "Result calling Function is : Success");
    EXPECT_EQ(rig.form.Picture1->size(), before);
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
}

// A picture larger than the room below the playlist (376 x 291 pixels) is
// scaled down to fit it, keeping its shape; the labels and the stored size
// keep the film's own. Exactly as large as the room still shows at its size.
TEST(PlaySelected, LargePicturesAreScaledDownToFitTheWindow) {
    struct Case {
        int width, height;
        QSize area;
        bool put;
    };
    for (const Case c : {Case{1280, 720, {376, 211}, true}, Case{1080, 1920, {163, 291}, true},
                         Case{376, 291, {376, 291}, false}, Case{720, 290, {376, 151}, true}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        PlayerRig rig;
        rig.AddEntries({"/m/film.mp4"});
        rig.Select(0);
        rig.movie.width = c.width;
        rig.movie.height = c.height;

        rig.playback.PlaySelected();

        EXPECT_EQ(rig.form.Picture1->size(), c.area);
        EXPECT_EQ(Text(rig.form.LbActualCx), QString::number(c.width));
        EXPECT_EQ(Text(rig.form.LbActualCy), QString::number(c.height));
        EXPECT_EQ(rig.form.state.videoWidth, c.width);
        EXPECT_EQ(rig.form.state.videoHeight, c.height);
        const Strings sent = rig.TakeCommands();
        const std::string put = "put movie window at 0 0 " + std::to_string(c.area.width()) + " " +
                                std::to_string(c.area.height());
        EXPECT_EQ(std::count(sent.begin(), sent.end(), put), c.put ? 1 : 0);
    }
}

// A length beyond 32 bits must not bring the window down: it counts as unknown.
TEST(PlaySelected, LengthBeyond32BitsCountsAsUnknown) {
    PlayerRig rig;
    rig.AddEntries({"/m/huge.avi"});
    rig.Select(0);
    rig.movie.lengthFrames = "99999999999";

    ASSERT_NO_THROW(rig.playback.PlaySelected());

    EXPECT_EQ(Text(rig.form.LbTotalFrames), "-1");
    EXPECT_EQ(Text(rig.form.LbFramesPerSecond), "-1");
    const Strings sent = rig.TakeCommands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "play movie from 0 to -1"), sent.end());
}

struct TotalTimeCase {
    const char* lengthMs;
    const char* label;
    std::int32_t seconds, minutes, remainder;
    const char* remainderText;
};

// Both operations show the same total; halves go to the even second.
TEST(OpenAndPlay, TotalTimeLabelAndFields) {
    const TotalTimeCase cases[] = {
        {"185000", "185   3:05", 185, 3, 5, "05"}, {"59500", "60   1:00", 60, 1, 0, "00"},
        {"60500", "60   1:00", 60, 1, 0, "00"},    {"600000", "600   10:00", 600, 10, 0, "00"},
        {"2500", "2   0:02", 2, 0, 2, "02"},       {"3500", "4   0:04", 4, 0, 4, "04"},
        {"69000", "69   1:09", 69, 1, 9, "09"},    {"70000", "70   1:10", 70, 1, 10, "10"},
    };
    for (const TotalTimeCase& c : cases) {
        for (const bool fullScreen : {false, true}) {
            SCOPED_TRACE(std::string(c.lengthMs) + (fullScreen ? " full screen" : ""));
            PlayerRig rig;
            rig.AddEntries({"/m/a.avi"});
            rig.Select(0);
            rig.movie.lengthMs = c.lengthMs;
            fullScreen ? rig.playback.PlaySelectedFullScreen() : rig.playback.PlaySelected();
            EXPECT_EQ(Text(rig.form.LbTotalTime), c.label);
            const ui::PlayerState& s = rig.form.state;
            EXPECT_EQ(s.totalSeconds, c.seconds);
            EXPECT_EQ(s.totalMinutes, c.minutes);
            EXPECT_EQ(s.totalSecondsRemainder, c.remainder);
            EXPECT_EQ(s.totalSecondsText, c.remainderText);
        }
    }
}

TEST(PlaySelectedFullScreen, PlaysThenFillsTheScreen) {
    PlayerRig rig;
    rig.AddEntries({"/m/a.avi"});
    rig.Select(0);
    rig.form.show();
    rig.form.asxToolbar1->setButtonChecked(2, true);
    rig.form.asxToolbar1->setButtonChecked(4, true);

    rig.playback.PlaySelectedFullScreen();

    Strings expected = OpenAndPlayCommands("/m/a.avi", rig.form.Picture1Handle(), "250");
    const QSize full = rig.form.size();
    expected.push_back("put movie window at 0 0 " + std::to_string(full.width()) + " " +
                       std::to_string(full.height()));
    EXPECT_EQ(rig.TakeCommands(), expected);
    EXPECT_TRUE(rig.form.isMaximisedState());
    EXPECT_EQ(rig.form.Picture1->geometry(), QRect(QPoint(0, 0), full));
    EXPECT_EQ(rig.form.focusWidget(), rig.form.txtfull);
    // The placement's result is kept but not shown.
    EXPECT_EQ(Text(rig.form.LbResult), "Result calling Function is : Success");
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(4));
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
    EXPECT_TRUE(rig.form.Timerscroll->isActive());
    EXPECT_FALSE(rig.form.TimerAtEndFile->isActive());  // not this operation's
}

TEST(PlaySelectedFullScreen, FailedPlayLeavesTheWindowAlone) {
    PlayerRig rig;
    rig.AddEntries({"/m/a.avi"});
    rig.Select(0);
    rig.movie.playCode = 282;
    rig.form.asxToolbar1->setButtonChecked(2, true);
    const QRect before = rig.form.Picture1->geometry();

    rig.playback.PlaySelectedFullScreen();

    EXPECT_FALSE(rig.form.isMaximisedState());
    EXPECT_EQ(rig.form.Picture1->geometry(), before);
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
    EXPECT_FALSE(rig.form.TimerAtEndFile->isActive());
}

}  // namespace
}  // namespace kelto::testing
