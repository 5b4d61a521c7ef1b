#include "player/PlaybackControl.h"

#include <QTimer>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "mci/CheckedArithmetic.h"
#include "mci/CommandResult.h"
#include "platform/MciErrorTexts.h"
#include "platform/widgets/ListBox.h"
#include "platform/widgets/NativeWindowRect.h"
#include "player/ResultLabel.h"
#include "player/TotalTime.h"
#include "player/VideoAreaSize.h"
#include "ui/Twips.h"

namespace kelto::player {

namespace {

// Switching a running timer on must not restart its interval: a tick that is
// nearly due would otherwise be pushed back on every call.
void SwitchOn(QTimer* timer) {
    if (!timer->isActive()) timer->start();
}

// The service's code for a file that cannot be found.
constexpr std::uint32_t kFileNotFound = 275;

// The bytes, not the shown text: a name in another encoding opens only as it
// is on disk.
std::string SelectedBytes(const platform::ListBox* list) {
    return list->bytes(list->currentRow()).toStdString();
}

// One line per failure, whatever the name holds.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

QString DecimalText(std::int32_t value) { return QString::fromStdString(mci::Decimal(value)); }

constexpr std::int32_t kSlowMotionPercent = 40;
constexpr std::int32_t kNormalPercent = 100;

}  // namespace

PlaybackControl::PlaybackControl(ui::Form1& form, mci::ModuleMultimedia& mm)
    : form_(form), mm_(mm) {}

void PlaybackControl::OpenSelected() {
    ui::PlayerState& s = form_.state;
    s.playingPath = SelectedBytes(form_.List2);
    s.lastResult =
        mm_.OpenMedia(form_.Picture1Handle(), s.deviceAlias, s.playingPath, s.deviceType);
    ShowLastResult(form_);
}

void PlaybackControl::FillInformationBlock() {
    ui::PlayerState& s = form_.state;
    const std::string& alias = s.deviceAlias;
    s.videoWidth = mm_.GetDestinationSize(alias, "cx");
    s.videoHeight = mm_.GetDestinationSize(alias, "cy");
    // Each label asks afresh rather than reusing the fields just stored.
    form_.LbActualCx->setText(DecimalText(mm_.GetDestinationSize(alias, "cx")));
    form_.LbActualCy->setText(DecimalText(mm_.GetDestinationSize(alias, "cy")));
    // The seek reads its frame rate back from this label.
    form_.LbFramesPerSecond->setText(DecimalText(mm_.GetFramesPerSecond(alias)));
    form_.LbTotalFrames->setText(DecimalText(mm_.GetLengthFrames(alias)));

    const std::int32_t lengthMs = mm_.GetLengthMs(alias);
    // Open, yet with no length: a station, which plays on until it stops sending.
    s.liveStream = lengthMs == -1 && mci::IsSuccess(s.lastResult);
    const TotalTime total = TotalTimeFromMs(lengthMs);
    s.totalSeconds = total.seconds;
    s.totalMinutes = total.minutes;
    s.totalSecondsRemainder = total.remainder;
    s.totalSecondsText = total.remainderText;
    form_.LbTotalTime->setText(QString::fromStdString(TotalTimeLabel(total)));

    form_.LbCurrentRate->setText(DecimalText(mm_.GetPlaySpeed(alias)) + QStringLiteral(" %"));
}

void PlaybackControl::PlayWhole() {
    ui::PlayerState& s = form_.state;
    s.lastResult = s.liveStream ? mm_.PlayOn(s.deviceAlias) : mm_.PlayMedia(s.deviceAlias, "", "");
    ShowLastResult(form_);
}

void PlaybackControl::SizeVideoArea() {
    const std::string& alias = form_.state.deviceAlias;
    auto size = [&](const char* which) { return mm_.GetDestinationSize(alias, which); };
    if (size("cx") == -1) return;
    // A playlist watched full screen stays full screen from one entry to the
    // next: the new picture covers the screen as EnterFullScreen placed the last.
    if (form_.isMaximisedState()) {
        PutVideoOverArea();
        return;
    }
    const std::int32_t width = size("cx");
    const std::int32_t height = size("cy");
    // A picture size beyond any screen: Picture1 keeps what it has.
    const std::optional<TwipsSize> area =
        VideoAreaTwips(width, height, ui::LeftTwips(form_.Picture1), ui::TopTwips(form_.Picture1));
    if (!area) return;
    ui::setWidthTwips(form_.Picture1, area->width);
    ui::setHeightTwips(form_.Picture1, area->height);
    // The service shows the picture at its own size in device pixels; on a
    // screen scaled by the desktop the video area is larger than that, and a
    // picture too large for the window gets a smaller one, so the picture is
    // put over the whole of it.
    if (platform::DeviceSize(form_.Picture1) != QSize(width, height)) {
        PutVideoOverArea();
    }
}

void PlaybackControl::PutVideoOverArea() {
    ui::Form1& f = form_;
    // Width and height 0: the command layer measures Picture1. A rectangle
    // beyond 32 bits cannot be placed; nothing was sent then.
    if (auto result = mm_.PutVideoWindow(f.Picture1Handle(), f.state.deviceAlias, 0, 0, 0, 0)) {
        f.state.lastResult = std::move(*result);
    }
}

std::string PlaybackControl::WhyNotPlaying(const std::string& opened) {
    if (mci::IsSuccess(opened)) return form_.state.lastResult;
    // A file that is not there gets no short name, so the open goes out
    // without one and the service can only ask for a name; its text for a
    // missing file is the one that tells the user what happened.
    std::error_code ec;
    if (!std::filesystem::exists(SelectedBytes(form_.List2), ec)) {
        for (const auto& [code, text] : platform::kMciErrorTexts) {
            if (code == kFileNotFound) return std::string(text);
        }
    }
    return opened;
}

void PlaybackControl::SayNotPlaying(const std::string& result) {
    ui::Form1& f = form_;
    // The result comes in the service's reply buffer; its text ends at the first NUL.
    const std::string why = result.c_str();
    f.state.playFailure = why;
    std::fprintf(stderr, "kelto-player: cannot play %s: %s\n",
                 OneLine(SelectedBytes(f.List2)).c_str(), why.c_str());
    const QString title = f.List1->text(f.List1->currentRow());
    const QString text = QString::fromStdString(why);
    f.setStripNotice(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    f.Announce(f.stripNotice());
    // The passes repeat the notice until another file plays.
    SwitchOn(f.Timerscroll);
    // Nothing is open to refresh from: a tick left running would keep the
    // meter of the file before and put 0:00 beside it.
    f.TimerMisc->stop();
    f.Meter31->setValue(ui::Meter3::kMinValue);
    f.lbcurrentime->clear();
    f.cpvSlider1->setValue(f.cpvSlider1->minimum());
}

void PlaybackControl::SayPlaying() {
    ui::Form1& f = form_;
    f.state.playFailure.clear();
    f.setStripNotice({});
    SpanSlider();
}

void PlaybackControl::SpanSlider() {
    // The steps stay two seconds each, so the seek's arithmetic is unchanged;
    // only the last step moves, to the last one within the file. A length
    // the service does not know keeps the window's own range.
    platform::cpvSlider* slider = form_.cpvSlider1;
    const std::int32_t total = form_.state.totalSeconds;
    slider->setRange(kSliderMinimum, total > 0 ? total / kSecondsPerSliderStep : kSliderMaximum);
    slider->follow(0);
}

void PlaybackControl::NoteStopping() {
    if (listener_ != nullptr) listener_->Stopping();
}

void PlaybackControl::NoteChoice() {
    if (listener_ != nullptr) listener_->Chose();
}

void PlaybackControl::PlaySelected() {
    if (listener_ != nullptr) listener_->Leaving();
    ui::PlayerState& s = form_.state;
    s.elapsedSeconds = 0;
    s.elapsedMinutes = 0;
    s.elapsedSecondsRemainder = 0;
    s.lastResult = mm_.CloseAllMedia();
    // Sound files too: every later command names "movie", and this device type plays both kinds.
    s.deviceAlias = "movie";
    s.deviceType = "MPEGVideo";
    OpenSelected();
    const std::string opened = s.lastResult;
    // Only the pause flag: a set slow-motion flag next asks for normal speed, which a new file has.
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    FillInformationBlock();
    if (afterOpen_ && mci::IsSuccess(opened)) afterOpen_();
    PlayWhole();
    SwitchOn(form_.TimerAtEndFile);
    if (!mci::IsSuccess(s.lastResult)) {
        SayNotPlaying(WhyNotPlaying(opened));
        return;
    }
    SayPlaying();
    SwitchOn(form_.TimerMisc);
    SizeVideoArea();
    SwitchOn(form_.TimerAtEndFile);
    SwitchOn(form_.Timerscroll);
    if (listener_ != nullptr) listener_->Started();
}

void PlaybackControl::PlaySelectedFullScreen() {
    if (listener_ != nullptr) listener_->Leaving();
    ui::PlayerState& s = form_.state;
    s.elapsedSeconds = 0;
    s.elapsedMinutes = 0;
    s.elapsedSecondsRemainder = 0;
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    s.lastResult = mm_.CloseAllMedia();
    s.deviceAlias = "movie";
    s.deviceType = "MPEGVideo";
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    OpenSelected();
    const std::string opened = s.lastResult;
    FillInformationBlock();
    if (afterOpen_ && mci::IsSuccess(opened)) afterOpen_();
    PlayWhole();
    if (!mci::IsSuccess(s.lastResult)) {
        SayNotPlaying(WhyNotPlaying(opened));
        return;
    }
    SayPlaying();
    // Switching on an active timer keeps its phase, so "unconditionally" and
    // "if it is off" come to the same thing here.
    SwitchOn(form_.TimerMisc);
    EnterFullScreen();
    SwitchOn(form_.Timerscroll);
    if (listener_ != nullptr) listener_->Started();
}

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
    NoteChoice();
    ui::PlayerState& s = form_.state;
    if (!form_.asxToolbar1->ButtonChecked(ui::Form1::kPauseButton)) {
        s.lastResult = mm_.PauseMedia(s.deviceAlias);
        ShowLastResult(form_);
        // Timerscroll runs on: the paused file stays open, so its title keeps scrolling.
        form_.TimerMisc->stop();
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
    NoteStopping();
    ui::PlayerState& s = form_.state;
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
    s.lastResult = mm_.StopMedia(s.deviceAlias);
    ShowLastResult(form_);
    form_.TimerMisc->stop();
    form_.asxToolbar1->setButtonChecked(ui::Form1::kPauseButton, false);
}

void PlaybackControl::ToggleSlowMotion() {
    NoteChoice();
    ui::PlayerState& s = form_.state;
    const bool slow = form_.asxToolbar1->ButtonChecked(ui::Form1::kSlowMotionButton);
    // Ten times either speed fits 32 bits, so the command always goes out.
    s.lastResult = *mm_.SetPlaySpeed(s.deviceAlias, slow ? kNormalPercent : kSlowMotionPercent);
    ShowLastResult(form_);
    form_.asxToolbar1->setButtonChecked(
        ui::Form1::kSlowMotionButton,
        !form_.asxToolbar1->ButtonChecked(ui::Form1::kSlowMotionButton));
}

void PlaybackControl::EnterFullScreen() {
    ui::Form1& f = form_;
    f.setMaximised(true);
    ui::setTopTwips(f.Picture1, 0);
    ui::setLeftTwips(f.Picture1, 0);
    // Read after maximising: the window's size is now the whole screen's.
    ui::setHeightTwips(f.Picture1, ui::HeightTwips(&f));
    ui::setWidthTwips(f.Picture1, ui::WidthTwips(&f));
    // Full screen shows the picture, not the playlist and buttons over it.
    // txtfull keeps the keyboard focus while covered.
    f.setVideoAreaOnTop(true);
    PutVideoOverArea();
    f.txtfull->setFocus(Qt::OtherFocusReason);
}

void PlaybackControl::cpvSlider1_Change() {
    // The label is empty before the first open; a frame rate that is not a
    // number gives no target to go to, so the change is ignored.
    bool isNumber = false;
    const double framesPerSecond = form_.LbFramesPerSecond->text().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(framesPerSecond)) return;
    const std::int32_t value = form_.cpvSlider1->value();
    // Two seconds a step for every file, so a step is the same jump whatever the length.
    const std::optional<std::int32_t> target = mci::RoundToInt32(2.0 * framesPerSecond * value);
    if (!target) return;
    NoteChoice();
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SeekAndPlay(s.deviceAlias, *target);
    ShowLastResult(form_);
}

void PlaybackControl::asxToolbar3_Click(int index, const QString& /*key*/) {
    if (index == 1) form_.close();
}

}  // namespace kelto::player
