#pragma once

#include <cstdint>
#include <vector>

namespace kelto::testing {

// A Standard MIDI File (format 0, 120 beats per minute) that plays a short
// rising scale on a piano and ends exactly `durationMs` after its start.
std::vector<std::uint8_t> MakeMidiFile(int durationMs);

}  // namespace kelto::testing
