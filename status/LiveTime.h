#pragma once

#include <cstdint>
#include <string>

namespace kelto::status {

// A live stream's time label: how long it has played, minutes unpadded
// ("0:07", "12:30", "125:00"), for there is no total to show beside it.
std::string LiveTimeText(std::int32_t elapsedMs);

}  // namespace kelto::status
