#pragma once

#include <cstdint>

#include "mci/ArithmeticOverflow.h"

namespace kelto::player {

// Runs a numeric query of the command layer. A reply that does not fit the
// player's 32-bit arithmetic is as useless as a refused one, so it reads as
// the unknown value -1, which every caller already knows how to skip.
template <typename Query>
std::int32_t UnknownOnOverflow(Query&& query) {
    try {
        return query();
    } catch (const mci::ArithmeticOverflow&) {
        return -1;
    }
}

}  // namespace kelto::player
