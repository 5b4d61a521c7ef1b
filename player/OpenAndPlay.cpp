#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "mci/CheckedArithmetic.h"
#include "mci/CommandResult.h"
#include "platform/MciErrorTexts.h"
#include "platform/widgets/ListBox.h"
#include "platform/widgets/NativeWindowRect.h"
#include "player/PlaybackControl.h"
#include "player/ResultLabel.h"
#include "player/TimerSwitch.h"
#include "player/TotalTime.h"
#include "player/UnknownOnOverflow.h"
#include "ui/Twips.h"

namespace kelto::player {

namespace {

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

}  // namespace

PlaybackControl::PlaybackControl(ui::Form1& form, mci::ModuleMultimedia& mm)
    : form_(form), mm_(mm) {}

void PlaybackControl::ShowResult() { ShowLastResult(form_); }

void PlaybackControl::OpenSelected() {
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.OpenMedia(form_.Picture1Handle(), s.deviceAlias, SelectedBytes(form_.List2),
                                 s.deviceType);
    ShowResult();
}

void PlaybackControl::FillInformationBlock() {
    ui::PlayerState& s = form_.state;
    const std::string& alias = s.deviceAlias;
    s.videoWidth = UnknownOnOverflow([&] { return mm_.GetDestinationSize(alias, "cx"); });
    s.videoHeight = UnknownOnOverflow([&] { return mm_.GetDestinationSize(alias, "cy"); });
    // Each label asks afresh rather than reusing the fields just stored.
    form_.LbActualCx->setText(
        DecimalText(UnknownOnOverflow([&] { return mm_.GetDestinationSize(alias, "cx"); })));
    form_.LbActualCy->setText(
        DecimalText(UnknownOnOverflow([&] { return mm_.GetDestinationSize(alias, "cy"); })));
    // The seek reads its frame rate back from this label.
    form_.LbFramesPerSecond->setText(
        DecimalText(UnknownOnOverflow([&] { return mm_.GetFramesPerSecond(alias); })));
    form_.LbTotalFrames->setText(
        DecimalText(UnknownOnOverflow([&] { return mm_.GetLengthFrames(alias); })));

    const TotalTime total =
        TotalTimeFromMs(UnknownOnOverflow([&] { return mm_.GetLengthMs(alias); }));
    s.totalSeconds = total.seconds;
    s.totalMinutes = total.minutes;
    s.totalSecondsRemainder = total.remainder;
    s.totalSecondsText = total.remainderText;
    form_.LbTotalTime->setText(QString::fromStdString(TotalTimeLabel(total)));

    form_.LbCurrentRate->setText(
        DecimalText(UnknownOnOverflow([&] { return mm_.GetPlaySpeed(alias); })) +
        QStringLiteral(" %"));
}

void PlaybackControl::PlayWhole() {
    ui::PlayerState& s = form_.state;
    try {
        s.lastResult = mm_.PlayMedia(s.deviceAlias, "", "");
    } catch (const mci::ArithmeticOverflow&) {
        // The length in frames did not fit: play to an unknown end, as after a
        // refused length query, and let the service answer for it.
        s.lastResult = mm_.PlayMedia(s.deviceAlias, "", mci::Decimal(-1));
    }
    ShowResult();
}

void PlaybackControl::SizeVideoArea() {
    const std::string& alias = form_.state.deviceAlias;
    auto size = [&](const char* which) {
        return UnknownOnOverflow([&] { return mm_.GetDestinationSize(alias, which); });
    };
    if (size("cx") == -1) return;
    // A playlist watched full screen stays full screen from one entry to the
    // next: the new picture covers the screen as EnterFullScreen placed the last.
    if (form_.isMaximisedState()) {
        PutVideoOverArea();
        return;
    }
    const std::int32_t width = size("cx");
    const std::int32_t height = size("cy");
    try {
        ui::setWidthTwips(form_.Picture1, mci::Mul32(width, ui::kTwipsPerPixel));
        ui::setHeightTwips(form_.Picture1, mci::Mul32(height, ui::kTwipsPerPixel));
    } catch (const mci::ArithmeticOverflow&) {
        // A picture size beyond any screen: Picture1 keeps what it has.
        return;
    }
    // The service shows the picture at its own size in device pixels; on a
    // screen scaled by the desktop the video area is larger than that, so the
    // picture is put over the whole of it.
    if (platform::DeviceSize(form_.Picture1) != QSize(width, height)) {
        PutVideoOverArea();
    }
}

void PlaybackControl::PutVideoOverArea() {
    ui::Form1& f = form_;
    try {
        // Width and height 0: the command layer measures Picture1.
        f.state.lastResult =
            mm_.PutVideoWindow(f.Picture1Handle(), f.state.deviceAlias, 0, 0, 0, 0);
    } catch (const mci::ArithmeticOverflow&) {
        // A window rectangle beyond 32 bits cannot be placed; nothing was sent.
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
    SwitchOff(f.TimerMisc);
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

void PlaybackControl::PlaySelected() {
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
}

void PlaybackControl::PlaySelectedFullScreen() {
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
}

}  // namespace kelto::player
