#include "status/FullScreenKeys.h"

#include "player/ResultLabel.h"
#include "player/VideoAreaSize.h"
#include "ui/Twips.h"

namespace kelto::status {

namespace {

// Virtual-key numbers, as KeyTextBox reports every key (InputCodes maps Qt's keys onto them).
constexpr int kEscape = 27;
constexpr int kF1 = 112;
constexpr int kF2 = 113;
constexpr int kF3 = 114;
constexpr int kF4 = 115;

// Where the video area stands after full screen.
constexpr int kReturnTopTwips = 4095;
constexpr int kReturnLeftTwips = 1365;

}  // namespace

FullScreenKeys::FullScreenKeys(ui::Form1& form, mci::ModuleMultimedia& mm,
                               player::PlaybackControl& playback)
    : form_(form), mm_(mm), playback_(playback) {}

void FullScreenKeys::txtfull_KeyDown(int keyCode, int /*shift*/) {
    switch (keyCode) {
        case kEscape:
            LeaveFullScreen();
            break;
        case kF1:
            playback_.PlaySelectedFullScreen();
            break;
        case kF2:
            playback_.TogglePause();
            break;
        case kF3:
            StopAndLeaveFullScreen();
            break;
        case kF4:
            playback_.ToggleSlowMotion();
            break;
        default:
            break;
    }
}

void FullScreenKeys::RestoreVideoArea() {
    ui::Form1& f = form_;
    ui::PlayerState& s = f.state;
    ui::setTopTwips(f.Picture1, kReturnTopTwips);
    ui::setLeftTwips(f.Picture1, kReturnLeftTwips);
    // The size comes from when the file was opened; the query only tells
    // whether there is a picture at all now.
    if (mm_.GetDestinationSize(s.deviceAlias, "cx") != -1) {
        // A picture too large for the window is made to fit, as PlaySelected
        // does; a stored size beyond any screen keeps the present one.
        if (const auto area = player::VideoAreaTwips(s.videoWidth, s.videoHeight, kReturnLeftTwips,
                                                     kReturnTopTwips)) {
            ui::setHeightTwips(f.Picture1, area->height);
            ui::setWidthTwips(f.Picture1, area->width);
        }
    }
    // nullopt: nothing was sent and the video stays where it is.
    if (auto result = mm_.PutVideoWindow(f.Picture1Handle(), s.deviceAlias, 0, 0, 0, 0)) {
        s.lastResult = std::move(*result);
    }
    f.setMaximised(false);
    f.setVideoAreaOnTop(false);
    f.List1->setFocus(Qt::OtherFocusReason);
}

void FullScreenKeys::LeaveFullScreen() { RestoreVideoArea(); }

void FullScreenKeys::StopAndLeaveFullScreen() {
    playback_.NoteStopping();
    ui::PlayerState& s = form_.state;
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    s.lastResult = mm_.StopMedia(s.deviceAlias);
    player::ShowLastResult(form_);
    RestoreVideoArea();
    form_.TimerMisc->stop();
}

}  // namespace kelto::status
