#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelto::status {

// What one status tick shows for a given per cent played.
struct ProgressDisplay {
    // Lit segments of the 50-segment meter; empty when the per cent is unknown
    // (-1) and the meter keeps its level.
    std::optional<std::int16_t> meterValue;
    std::string progressText;  // "50 %"
    double elapsedSeconds = 0;
    double elapsedMinutes = 0;
    std::int32_t elapsedSecondsRemainder = 0;
    std::string elapsedSecondsText;
    std::string timeText;  // "1:32 / 3:05"
};

// Elapsed time is worked out from the per cent and the whole-second length,
// so it moves in hundredths of the file. Under a minute the seconds are
// rounded (halves to even); from 59 s upward they are cut. The meter value is
// half the per cent, kept within 0..50 whatever the service reports.
//
// nullopt when totalSeconds x percent leaves the 32-bit range.
std::optional<ProgressDisplay> ComputeProgressDisplay(std::int32_t percent,
                                                      std::int32_t totalSeconds,
                                                      std::int32_t totalMinutes,
                                                      const std::string& totalSecondsText);

}  // namespace kelto::status
