#include "samples/MidiFile.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace kelto::samples {
namespace {

// What a reader of the file finds: the end of the track and every note as
// sounded, in ticks (480 a quarter at 120 bpm, so 0.96 ticks a millisecond).
struct ReadBack {
    std::uint32_t endTick = 0;
    int program = -1;
    struct Note {
        std::uint32_t on;
        std::uint32_t off;
        int key;
    };
    std::vector<Note> notes;
};

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::uint32_t Big(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) value = (value << 8) | Byte();
        return value;
    }
    std::uint32_t VarLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t byte = Byte();
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return value;
        }
        throw std::runtime_error("variable length number longer than four bytes");
    }
    std::uint8_t Byte() {
        if (at_ >= bytes_.size()) throw std::runtime_error("read past the end");
        return bytes_[at_++];
    }
    std::size_t At() const { return at_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_ = 0;
};

// A strict reader: fails the test on anything a synthesiser could trip over.
ReadBack Parse(const std::vector<std::uint8_t>& bytes) {
    Reader in(bytes);
    EXPECT_EQ(in.Big(4), 0x4D546864u);  // "MThd"
    EXPECT_EQ(in.Big(4), 6u);
    EXPECT_EQ(in.Big(2), 0u);  // format 0
    EXPECT_EQ(in.Big(2), 1u);  // one track
    EXPECT_EQ(in.Big(2), 480u);
    EXPECT_EQ(in.Big(4), 0x4D54726Bu);  // "MTrk"
    const std::uint32_t length = in.Big(4);
    EXPECT_EQ(in.At() + length, bytes.size()) << "track length disagrees with the file";

    ReadBack result;
    std::map<int, std::uint32_t> sounding;
    std::uint32_t now = 0;
    while (true) {
        now += in.VarLength();
        const std::uint8_t status = in.Byte();
        if (status == 0xFF) {
            const std::uint8_t type = in.Byte();
            const std::uint32_t size = in.VarLength();
            for (std::uint32_t i = 0; i < size; ++i) in.Byte();
            if (type == 0x2F) break;
            continue;
        }
        if (status == 0xC0) {
            result.program = in.Byte();
            continue;
        }
        const int key = in.Byte();
        const int velocity = in.Byte();
        EXPECT_LT(key, 128);
        EXPECT_LT(velocity, 128);
        if (status == 0x90 && velocity > 0) {
            EXPECT_EQ(sounding.count(key), 0u) << "key " << key << " struck while sounding";
            sounding[key] = now;
        } else if (status == 0x80) {
            auto it = sounding.find(key);
            if (it == sounding.end()) {
                ADD_FAILURE() << "key " << key << " released at " << now << " without a strike";
                continue;
            }
            result.notes.push_back({it->second, now, key});
            sounding.erase(it);
        } else {
            ADD_FAILURE() << "unexpected status byte " << int(status);
            break;
        }
    }
    EXPECT_TRUE(sounding.empty()) << "notes left sounding at the end";
    EXPECT_EQ(in.At(), bytes.size()) << "bytes after the end of the track";
    result.endTick = now;
    return result;
}

TEST(MidiFileTest, EndsExactlyAtTheRequestedLengthWhateverTheNotes) {
    struct Case {
        const char* name;
        std::vector<MidiNote> notes;
        int durationMs;
        std::size_t notesHeard;
    };
    const std::vector<Case> cases = {
        {"no notes", {}, 1000, 0},
        {"one note", {{0, 500, 60, 100}}, 1000, 1},
        {"chord of overlapping notes",
         {{0, 800, 60, 90}, {0, 800, 64, 90}, {200, 300, 67, 90}},
         1000,
         3},
        {"same key struck again right after", {{0, 250, 60, 90}, {250, 250, 60, 90}}, 500, 2},
        {"note running past the end is cut", {{900, 500, 72, 90}}, 1000, 1},
        {"note starting after the end is left out", {{1200, 100, 72, 90}}, 1000, 0},
        {"notes out of order", {{500, 100, 62, 90}, {0, 100, 60, 90}}, 1000, 2},
        {"a one-millisecond note at the start", {{0, 1, 60, 90}}, 100, 1},
        {"long file, long delta times", {{0, 100, 60, 90}, {59000, 900, 60, 90}}, 60000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadBack read = Parse(MakeMidiFile(c.notes, c.durationMs, 4));
        EXPECT_EQ(read.endTick, static_cast<std::uint32_t>(c.durationMs * 480 / 500));
        EXPECT_EQ(read.program, 4);
        EXPECT_EQ(read.notes.size(), c.notesHeard);
        for (const auto& note : read.notes) {
            EXPECT_LE(note.on, note.off);
            EXPECT_LE(note.off, read.endTick);
        }
    }
}

TEST(MidiFileTest, RepeatedKeyIsHeardTwiceNotSilencedByItsOwnRelease) {
    const ReadBack read = Parse(MakeMidiFile({{0, 250, 60, 90}, {250, 250, 60, 90}}, 500));
    ASSERT_EQ(read.notes.size(), 2u);
    EXPECT_LT(read.notes[0].off, read.notes[1].on);
    EXPECT_GT(read.notes[1].off, read.notes[1].on);
}

TEST(MidiFileTest, ScaleRisesInWholeTonesAndFillsTheLength) {
    const ReadBack read = Parse(MakeScaleMidiFile(2000));
    ASSERT_EQ(read.notes.size(), 8u);
    for (std::size_t i = 0; i < read.notes.size(); ++i) {
        EXPECT_EQ(read.notes[i].key, 60 + 2 * static_cast<int>(i));
        EXPECT_EQ(read.notes[i].on, i * 240);
    }
    EXPECT_EQ(read.endTick, 1920u);
}

}  // namespace
}  // namespace kelto::samples
