#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelto::mciservice {

// The sound format of a wave file, as its "fmt " chunk gives it.
struct WaveFormat {
    std::int64_t formatTag = 1;  // 1 is PCM
    std::int64_t channels = 1;
    std::int64_t samplesPerSec = 11025;
    std::int64_t bytesPerSec = 11025;
    std::int64_t alignment = 1;  // bytes of one sample of every channel
    std::int64_t bitsPerSample = 8;
};

// Whether `path` is a regular file. Everything that reads a file's bytes asks
// first: opening a named pipe to read waits for a writer, and a device may
// never end.
bool IsRegularFile(const std::string& path);

// Nullopt when the file is not a RIFF WAVE file with a whole "fmt " chunk
// before its data.
std::optional<WaveFormat> ReadWaveFormat(const std::string& path);

// The first tempo a MIDI file sets, in beats a minute (rounded); 120, the
// tempo MIDI files have when they set none, when there is no tempo event
// before the first notes or the file cannot be read.
std::int64_t ReadMidiTempo(const std::string& path);

}  // namespace kelto::mciservice
