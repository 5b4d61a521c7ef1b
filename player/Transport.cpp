#include "player/PlaybackControl.h"
#include "player/ResultLabel.h"
#include "player/TimerSwitch.h"

namespace kelto::player {

namespace {

constexpr std::int32_t kSlowMotionPercent = 40;
constexpr std::int32_t kNormalPercent = 100;

}  // namespace

void PlaybackControl::asxToolbar1_Click(int index, const QString& /*key*/) {
    switch (index) {
        case 1:
            PlaySelected();
            break;
        case 2:
            TogglePause();
            break;
        case 3:
            StopPlayback();
            break;
        case 4:
            ToggleSlowMotion();
            break;
        case 5:
            EnterFullScreen();
            break;
        default:
            break;
    }
}

void PlaybackControl::TogglePause() {
    ui::PlayerState& s = form_.state;
    if (!form_.asxToolbar1->ButtonChecked(ui::Form1::kPauseButton)) {
        s.lastResult = mm_.PauseMedia(s.deviceAlias);
        ShowLastResult(form_);
        // Timerscroll runs on: the paused file stays open, so its title keeps scrolling.
        SwitchOff(form_.TimerMisc);
    } else {
        s.lastResult = mm_.ResumeMedia(s.deviceAlias);
        ShowLastResult(form_);
        SwitchOn(form_.TimerMisc);
    }
    // The flag follows the user's wish, not the service's answer: after a
    // refused pause the next press asks for a resume.
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton,
                                        !form_.asxToolbar1->ButtonChecked(ui::Form1::kPauseButton));
}

void PlaybackControl::StopPlayback() {
    ui::PlayerState& s = form_.state;
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    s.lastResult = mm_.StopMedia(s.deviceAlias);
    ShowLastResult(form_);
    SwitchOff(form_.TimerMisc);
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
}

void PlaybackControl::ToggleSlowMotion() {
    ui::PlayerState& s = form_.state;
    const bool slow = form_.asxToolbar1->ButtonChecked(ui::Form1::kSlowMotionButton);
    // Ten times either speed fits 32 bits, so the command always goes out.
    s.lastResult = *mm_.SetPlaySpeed(s.deviceAlias, slow ? kNormalPercent : kSlowMotionPercent);
    ShowLastResult(form_);
    form_.asxToolbar1->setButtonChecked(
        ui::Form1::kSlowMotionButton,
        !form_.asxToolbar1->ButtonChecked(ui::Form1::kSlowMotionButton));
}

}  // namespace kelto::player
