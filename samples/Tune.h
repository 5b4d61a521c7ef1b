#pragma once

#include <cstdint>
#include <vector>

#include "samples/MidiFile.h"

namespace kelto::samples {

// The sample tune: a short melody over a bass line, five seconds long. The
// MIDI sample plays it as notes and the MP3 sample as synthesised sound, so a
// listener hears the same thing from both.
std::vector<MidiNote> SampleTune();
inline constexpr int kSampleTuneMs = 5000;

// Mono 16-bit samples of `notes` played on a soft electric-piano-like voice,
// exactly `durationMs` long at `rate` samples a second. Overlapping notes are
// mixed; the sum never clips.
std::vector<std::int16_t> RenderTune(const std::vector<MidiNote>& notes, int durationMs, int rate);

}  // namespace kelto::samples
