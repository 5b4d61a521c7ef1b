#include "tests/support/media/MidiFileWriter.h"

#include <algorithm>

namespace kelto::testing {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kMicrosecondsPerQuarter = 500000;  // 120 bpm: one tick is 1.0417 ms
constexpr int kNoteMs = 250;

void PutVarLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[5];
    int count = 0;
    do {
        bytes[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 0) {
        --count;
        out.push_back(static_cast<std::uint8_t>(bytes[count] | (count > 0 ? 0x80 : 0x00)));
    }
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

std::uint32_t MsToTicks(int ms) {
    return static_cast<std::uint32_t>(static_cast<long long>(ms) * 1000 * kTicksPerQuarter /
                                      kMicrosecondsPerQuarter);
}

}  // namespace

std::vector<std::uint8_t> MakeMidiFile(int durationMs) {
    std::vector<std::uint8_t> track;
    // Tempo, then a piano on channel 0.
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03});
    PutBigEndian(track, kMicrosecondsPerQuarter, 3);
    track.insert(track.end(), {0x00, 0xC0, 0x00});

    const std::uint32_t endTick = MsToTicks(durationMs);
    std::uint32_t now = 0;
    std::uint8_t note = 60;
    for (int startMs = 0; startMs + kNoteMs <= durationMs; startMs += kNoteMs) {
        const std::uint32_t on = MsToTicks(startMs);
        const std::uint32_t off = MsToTicks(startMs + kNoteMs) - 1;
        PutVarLength(track, on - now);
        track.insert(track.end(), {0x90, note, 0x64});
        PutVarLength(track, off - on);
        track.insert(track.end(), {0x80, note, 0x40});
        now = off;
        note = static_cast<std::uint8_t>(std::min(note + 2, 96));
    }
    PutVarLength(track, endTick > now ? endTick - now : 0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd'};
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, 0, 2);  // format 0
    PutBigEndian(file, 1, 2);  // one track
    PutBigEndian(file, kTicksPerQuarter, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

}  // namespace kelto::testing
