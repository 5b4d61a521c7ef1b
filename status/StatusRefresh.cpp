#include "status/StatusRefresh.h"

#include "status/ProgressDisplay.h"

namespace kelto::status {

StatusRefresh::StatusRefresh(ui::Form1& form, mci::ModuleMultimedia& mm) : form_(form), mm_(mm) {}

void StatusRefresh::TimerMisc_Timer() {
    ui::PlayerState& s = form_.state;
    const std::int32_t percent = mm_.GetPercentPlayed(s.deviceAlias);
    ProgressDisplay d;
    try {
        // Everything is worked out before anything is shown, so a failure
        // leaves the display and the state as they were.
        d = ComputeProgressDisplay(percent, s.totalSeconds, s.totalMinutes, s.totalSecondsText);
    } catch (const mci::ArithmeticOverflow&) {
        return;
    }
    s.progressPercent = percent;
    if (d.meterValue) form_.Meter31->setValue(*d.meterValue);
    form_.LbProgress->setText(QString::fromStdString(d.progressText));
    s.elapsedSeconds = d.elapsedSeconds;
    s.elapsedMinutes = d.elapsedMinutes;
    s.elapsedSecondsRemainder = d.elapsedSecondsRemainder;
    s.elapsedSecondsText = d.elapsedSecondsText;
    form_.lbcurrentime->setText(QString::fromStdString(d.timeText));
}

}  // namespace kelto::status
