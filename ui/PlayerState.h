#pragma once

#include <cstdint>
#include <string>

namespace kelto::ui {

// What the window remembers about the file being played; all empty or zero
// until the first file is opened.
struct PlayerState {
    std::string deviceAlias;
    std::string deviceType;
    std::string lastResult;
    std::int32_t progressPercent = 0;
    std::int32_t videoWidth = 0;
    std::int32_t videoHeight = 0;
    std::int32_t totalSeconds = 0;
    std::int32_t totalMinutes = 0;
    std::int32_t totalSecondsRemainder = 0;
    std::string totalSecondsText;
    double elapsedSeconds = 0;
    double elapsedMinutes = 0;
    std::int32_t elapsedSecondsRemainder = 0;
    std::string elapsedSecondsText;
    // The service's text for the selected file when it would not open or
    // play; empty once a file plays.
    std::string playFailure;
    // The path (as its bytes) of the entry opened last, and whether it opened
    // as a live stream: no length, only elapsed time.
    std::string playingPath;
    bool liveStream = false;
};

}  // namespace kelto::ui
