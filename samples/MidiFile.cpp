#include "samples/MidiFile.h"

#include <algorithm>
#include <tuple>

namespace kelto::samples {

namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kMicrosecondsPerQuarter = 500000;  // 120 bpm: one tick is 1.0417 ms
constexpr int kScaleNoteMs = 250;

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
    return static_cast<std::uint32_t>(static_cast<long long>(std::max(ms, 0)) * 1000 *
                                      kTicksPerQuarter / kMicrosecondsPerQuarter);
}

struct Event {
    std::uint32_t tick;
    bool on;
    std::uint8_t key;
    std::uint8_t velocity;
};

}  // namespace

std::vector<std::uint8_t> MakeMidiFile(const std::vector<MidiNote>& notes, int durationMs,
                                       std::uint8_t program) {
    const std::uint32_t endTick = MsToTicks(durationMs);
    std::vector<Event> events;
    for (const MidiNote& note : notes) {
        const std::uint32_t on = MsToTicks(note.startMs);
        if (note.lengthMs <= 0 || on >= endTick) {
            continue;
        }
        // A tick short of the next note, so repeated keys are heard as two, but
        // at least a tick after its own start, so that the release, sorted
        // before strikes of the same tick, never comes before the strike.
        const std::uint32_t end = std::min(MsToTicks(note.startMs + note.lengthMs), endTick);
        const std::uint32_t off = std::max(end > 0 ? end - 1 : 0, on + 1);
        const auto key = static_cast<std::uint8_t>(note.key & 0x7F);
        events.push_back({on, true, key, static_cast<std::uint8_t>(note.velocity & 0x7F)});
        events.push_back({off, false, key, 0x40});
    }
    // Offs before ons at the same tick, so a key struck again is not silenced.
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.on) < std::tie(b.tick, b.on);
    });

    std::vector<std::uint8_t> track;
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03});
    PutBigEndian(track, kMicrosecondsPerQuarter, 3);
    track.insert(track.end(), {0x00, 0xC0, static_cast<std::uint8_t>(program & 0x7F)});
    std::uint32_t now = 0;
    for (const Event& event : events) {
        PutVarLength(track, event.tick - now);
        track.insert(track.end(), {static_cast<std::uint8_t>(event.on ? 0x90 : 0x80), event.key,
                                   event.velocity});
        now = event.tick;
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

std::vector<std::uint8_t> MakeScaleMidiFile(int durationMs) {
    std::vector<MidiNote> notes;
    int key = 60;
    for (int startMs = 0; startMs + kScaleNoteMs <= durationMs; startMs += kScaleNoteMs) {
        notes.push_back({startMs, kScaleNoteMs, static_cast<std::uint8_t>(key), 0x64});
        key = std::min(key + 2, 96);
    }
    return MakeMidiFile(notes, durationMs, 0);
}

}  // namespace kelto::samples
