#pragma once

#include <cstdint>
#include <vector>

namespace kelto::samples {

// One note of a tune, placed in milliseconds from the start.
struct MidiNote {
    int startMs = 0;
    int lengthMs = 0;
    std::uint8_t key = 60;  // 60 is middle C
    std::uint8_t velocity = 100;
};

// A Standard MIDI File (format 0, one track, 120 beats per minute) that plays
// `notes` on channel 0 with the General MIDI `program` and ends exactly
// `durationMs` after its start. Notes may overlap; anything sounding past
// `durationMs` is cut there, so the file's length is what the caller asked for.
std::vector<std::uint8_t> MakeMidiFile(const std::vector<MidiNote>& notes, int durationMs,
                                       std::uint8_t program = 0);

// A rising scale of quarter-second piano notes that fills `durationMs`.
std::vector<std::uint8_t> MakeScaleMidiFile(int durationMs);

}  // namespace kelto::samples
