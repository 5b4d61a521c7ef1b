#include "status/LiveTime.h"

namespace kelto::status {

std::string LiveTimeText(std::int32_t elapsedMs) {
    const std::int32_t seconds = elapsedMs < 0 ? 0 : elapsedMs / 1000;
    const std::int32_t rest = seconds % 60;
    return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace kelto::status
