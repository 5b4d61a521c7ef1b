#pragma once

#include <cstdint>
#include <vector>

#include "samples/MidiFile.h"

namespace kelto::testing {

// A Standard MIDI File (format 0, 120 beats per minute) that plays a short
// rising scale on a piano and ends exactly `durationMs` after its start.
inline std::vector<std::uint8_t> MakeMidiFile(int durationMs) {
    return kelto::samples::MakeScaleMidiFile(durationMs);
}

}  // namespace kelto::testing
