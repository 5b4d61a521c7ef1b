#include "status/ProgressDisplay.h"

#include <algorithm>
#include <cmath>

#include "mci/CheckedArithmetic.h"
#include "ui/Meter3.h"

namespace kelto::status {

namespace {

// A position past the length gives more than 100 %, which the meter cannot
// show; a stray negative reply must not reach it either.
std::int16_t MeterValueFor(std::int32_t percent) {
    // Half of any 32-bit value fits 32 bits.
    const std::int32_t half = *mci::RoundToInt32(static_cast<double>(percent) / 2.0);
    return static_cast<std::int16_t>(
        std::clamp<std::int32_t>(half, ui::Meter3::kMinValue, ui::Meter3::kMaxValue));
}

std::string WholeNumberText(double value) {
    // Whole minutes of an elapsed time that came from a 32-bit product: exact
    // in 64 bits.
    return std::to_string(static_cast<long long>(value));
}

}  // namespace

std::optional<ProgressDisplay> ComputeProgressDisplay(std::int32_t percent,
                                                      std::int32_t totalSeconds,
                                                      std::int32_t totalMinutes,
                                                      const std::string& totalSecondsText) {
    // From the per cent, not the position: the time moves in step with the meter and its label.
    const std::optional<std::int32_t> hundredths = mci::Mul32(totalSeconds, percent);
    if (!hundredths) return std::nullopt;
    ProgressDisplay d;
    if (percent != -1) d.meterValue = MeterValueFor(percent);
    d.progressText = mci::Decimal(percent) + " %";

    d.elapsedSeconds = static_cast<double>(*hundredths) / 100.0;
    d.elapsedMinutes = std::floor(d.elapsedSeconds / 60.0);
    // Cut from 59 s up, so the seconds never read 60 (59.5 s shows 0:59, not 0:60).
    const double seconds = d.elapsedSeconds > 59
                               ? std::floor(d.elapsedSeconds - d.elapsedMinutes * 60.0)
                               : d.elapsedSeconds;
    // Below 60 after the cut, or a 32-bit product divided by 100: it fits.
    d.elapsedSecondsRemainder = *mci::RoundToInt32(seconds);
    d.elapsedSecondsText =
        (d.elapsedSecondsRemainder < 10 ? "0" : "") + mci::Decimal(d.elapsedSecondsRemainder);
    d.timeText = WholeNumberText(d.elapsedMinutes) + ":" + d.elapsedSecondsText + " / " +
                 mci::Decimal(totalMinutes) + ":" + totalSecondsText;
    return d;
}

}  // namespace kelto::status
