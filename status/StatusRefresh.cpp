#include "status/StatusRefresh.h"

#include <QLabel>
#include <cmath>

#include "player/PlaybackControl.h"

#include "status/LiveTime.h"
#include "status/ProgressDisplay.h"

namespace kelto::status {

namespace {

// Five ticks a second mostly show what is already there; a label given its
// own text again must not be laid out and repainted for nothing.
void ShowText(QLabel* label, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (label->text() != shown) label->setText(shown);
}

}  // namespace

StatusRefresh::StatusRefresh(ui::Form1& form, mci::ModuleMultimedia& mm) : form_(form), mm_(mm) {}

void StatusRefresh::TimerMisc_Timer() {
    ui::PlayerState& s = form_.state;
    if (s.liveStream) {
        // No length, so no per cent: the meter and the slider stand still and
        // the time is what has played. The service answers from what it
        // holds, however the station is doing.
        form_.Meter31->setValue(ui::Meter3::kMinValue);
        const std::int32_t ms = mm_.GetPositionMs(s.deviceAlias);
        if (ms >= 0) ShowText(form_.lbcurrentime, LiveTimeText(ms));
        return;
    }
    const std::int32_t percent = mm_.GetPercentPlayed(s.deviceAlias);
    // Everything is worked out before anything is shown, so a failure leaves
    // the display and the state as they were.
    const std::optional<ProgressDisplay> shown =
        ComputeProgressDisplay(percent, s.totalSeconds, s.totalMinutes, s.totalSecondsText);
    if (!shown) return;
    const ProgressDisplay& d = *shown;
    s.progressPercent = percent;
    if (d.meterValue) form_.Meter31->setValue(*d.meterValue);
    ShowText(form_.LbProgress, d.progressText);
    s.elapsedSeconds = d.elapsedSeconds;
    s.elapsedMinutes = d.elapsedMinutes;
    s.elapsedSecondsRemainder = d.elapsedSecondsRemainder;
    s.elapsedSecondsText = d.elapsedSecondsText;
    ShowText(form_.lbcurrentime, d.timeText);
    // The thumb shows the same elapsed time as the label; setting it sends no seek.
    if (percent != -1) {
        form_.cpvSlider1->follow(static_cast<int>(
            std::floor(d.elapsedSeconds / player::PlaybackControl::kSecondsPerSliderStep)));
    }
}

}  // namespace kelto::status
