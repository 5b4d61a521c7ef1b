#pragma once

#include <cstdint>
#include <string>

namespace kelto::player {

// A file's length as the window shows it.
struct TotalTime {
    std::int32_t seconds = 0;    // whole seconds, halves to even
    std::int32_t minutes = 0;    // whole minutes of `seconds`
    std::int32_t remainder = 0;  // seconds after the whole minutes
    std::string remainderText;   // `remainder` as two digits ("05")
};

// From the length in milliseconds; -1 (unknown) gives a length of 0.
TotalTime TotalTimeFromMs(std::int32_t milliseconds);

// "185   3:05": whole seconds, three blanks, minutes and two-digit seconds.
std::string TotalTimeLabel(const TotalTime& total);

}  // namespace kelto::player
