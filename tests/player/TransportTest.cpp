#include <gtest/gtest.h>

#include <QSignalSpy>

#include "tests/support/player/PlayerRig.h"
#include "ui/Twips.h"

namespace kelto::testing {
namespace {

using Strings = std::vector<std::string>;

// A rig with "/m/a.avi" open and playing.
// A file of 200 s, so the slider spans its whole design range (two seconds
// a step, up to 100).
struct Playing : PlayerRig {
    Playing() {
        movie.lengthMs = "200000";
        movie.lengthFrames = "5000";
        AddEntries({"/m/a.avi"});
        Select(0);
        playback.PlaySelected();
        TakeCommands();
    }
};

// The bar dispatches on the index alone: the key text is never looked at.
TEST(TransportBar, DispatchesOnTheIndexOnly) {
    const struct {
        int index;
        const char* firstCommand;  // nullptr: nothing is sent
    } cases[] = {{0, nullptr},      {1, "Close All"},           {2, "Pause movie"},
                 {3, "Stop movie"}, {4, "set movie speed 400"}, {5, "put movie window at"},
                 {6, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Playing rig;
        rig.playback.asxToolbar1_Click(c.index, QStringLiteral("stop"));
        const Strings sent = rig.TakeCommands();
        if (c.firstCommand == nullptr) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_FALSE(sent.empty());
            EXPECT_EQ(sent.front().rfind(c.firstCommand, 0), 0u) << sent.front();
        }
    }
}

TEST(TogglePause, PausesThenResumes) {
    Playing rig;
    rig.playback.TogglePause();
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
    rig.playback.TogglePause();
    EXPECT_EQ(rig.TakeCommands(), (Strings{"Pause movie", "Resume movie"}));
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
    EXPECT_EQ(rig.form.LbResult->text(), "Result calling Function is : Success");
}

// The flag follows the presses, not the service: a refused pause still
// counts as paused, so the next press asks to resume.
TEST(TogglePause, RefusedPauseStillFlipsTheFlag) {
    Playing rig;
    rig.mm.CloseAllMedia();
    rig.form.TimerMisc->start();
    rig.playback.TogglePause();
    EXPECT_EQ(rig.form.LbResult->text(),
              "Result calling Function is : The specified device is not open or is not "
              "recognized by MCI.");
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
    rig.playback.TogglePause();
    EXPECT_EQ(rig.TakeCommands().back(), "Resume movie");
}

TEST(StopPlayback, ClearsThePauseSoTheNextToggleIsAPause) {
    Playing rig;
    rig.form.asxToolbar1->setButtonChecked(4, true);
    rig.playback.TogglePause();
    rig.playback.StopPlayback();
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(4));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
    rig.playback.TogglePause();
    EXPECT_EQ(rig.TakeCommands(), (Strings{"Pause movie", "Stop movie", "Pause movie"}));
}

TEST(ToggleSlowMotion, SwitchesBetween40And100PerCent) {
    Playing rig;
    const QString rate = rig.form.LbCurrentRate->text();
    rig.playback.ToggleSlowMotion();
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(4));
    rig.playback.ToggleSlowMotion();
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(4));
    EXPECT_EQ(rig.TakeCommands(), (Strings{"set movie speed 400", "set movie speed 1000"}));
    EXPECT_EQ(rig.form.LbCurrentRate->text(), rate);
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
}

// Opening another file plays it at normal speed but leaves the slow-motion
// flag as it was, so the next press asks for normal speed.
TEST(ToggleSlowMotion, FlagOutlivesANewFile) {
    Playing rig;
    rig.playback.ToggleSlowMotion();
    rig.playback.PlaySelected();
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(4));
    rig.TakeCommands();
    rig.playback.ToggleSlowMotion();
    EXPECT_EQ(rig.TakeCommands(), (Strings{"set movie speed 1000"}));
}

TEST(PlaySelected, WhilePausedRestartsAndResumesTheStatusTimer) {
    Playing rig;
    rig.playback.TogglePause();
    rig.TakeCommands();
    rig.playback.PlaySelected();
    EXPECT_EQ(rig.TakeCommands().front(), "Close All");
    EXPECT_FALSE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
}

TEST(EnterFullScreen, IsRepeatableAndLeavesPlaybackAlone) {
    Playing rig;
    rig.form.show();
    rig.playback.TogglePause();
    const QString result = rig.form.LbResult->text();
    rig.TakeCommands();

    rig.playback.EnterFullScreen();
    const QRect once = rig.form.Picture1->geometry();
    rig.playback.EnterFullScreen();

    const std::string put = "put movie window at 0 0 " + std::to_string(once.width()) + " " +
                            std::to_string(once.height());
    EXPECT_EQ(rig.TakeCommands(), (Strings{put, put}));
    EXPECT_EQ(rig.form.Picture1->geometry(), once);
    EXPECT_EQ(once, QRect(QPoint(0, 0), rig.form.size()));
    EXPECT_TRUE(rig.form.isMaximisedState());
    EXPECT_EQ(rig.form.focusWidget(), rig.form.txtfull);
    EXPECT_EQ(rig.form.childAt(rig.form.List1->geometry().center()), rig.form.Picture1)
        << "the controls cover the video";
    EXPECT_EQ(rig.form.LbResult->text(), result);
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
}

// Two seconds of playing time per slider step; the label's frame rate is
// used as it stands, -1 included. No number in it: the change is ignored.
TEST(Seek, TargetFromFrameRateLabelAndSliderValue) {
    const struct {
        const char* framesPerSecond;
        int slider;
        const char* seek;  // nullptr: nothing is sent
    } cases[] = {
        {"25", 30, "seek movie to 1500"},
        {"30", 0, "seek movie to 0"},
        {"-1", 10, "seek movie to -20"},
        {"25", -1, "seek movie to -50"},
        {"", 10, nullptr},
        {"abc", 10, nullptr},
        {"nan", 10, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.framesPerSecond) + " x " + std::to_string(c.slider));
        Playing rig;
        rig.form.LbFramesPerSecond->setText(QString::fromUtf8(c.framesPerSecond));
        rig.form.cpvSlider1->setValue(c.slider);
        const QString before = rig.form.LbResult->text();
        rig.form.LbResult->setText(QStringLiteral("untouched"));
        rig.playback.cpvSlider1_Change();
        if (c.seek == nullptr) {
            EXPECT_TRUE(rig.TakeCommands().empty());
            EXPECT_EQ(rig.form.LbResult->text(), "untouched");
        } else {
            EXPECT_EQ(rig.TakeCommands(), (Strings{c.seek, "Play movie"}));
            EXPECT_EQ(rig.form.LbResult->text(), before);
        }
    }
}

TEST(Seek, BeforeAnyOpenIsIgnored) {
    PlayerRig rig;
    rig.form.cpvSlider1->setValue(50);
    rig.playback.cpvSlider1_Change();
    EXPECT_TRUE(rig.TakeCommands().empty());
}

TEST(Seek, WhilePausedPlaysButKeepsThePauseFlag) {
    Playing rig;
    rig.playback.TogglePause();
    rig.form.cpvSlider1->setValue(2);
    rig.playback.cpvSlider1_Change();
    EXPECT_EQ(rig.TakeCommands(), (Strings{"Pause movie", "seek movie to 100", "Play movie"}));
    EXPECT_TRUE(rig.form.asxToolbar1->ButtonChecked(2));
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
}

TEST(CloseBar, OnlyButtonOneClosesTheWindow) {
    PlayerRig rig;
    rig.form.show();
    QSignalSpy unloads(&rig.form, &ui::Form1::unload);
    rig.playback.asxToolbar3_Click(2, QStringLiteral("close"));
    EXPECT_TRUE(rig.form.isVisible());
    EXPECT_EQ(unloads.count(), 0);
    rig.playback.asxToolbar3_Click(1, QStringLiteral("other"));
    EXPECT_FALSE(rig.form.isVisible());
    EXPECT_EQ(unloads.count(), 1);
}

}  // namespace
}  // namespace kelto::testing
