#include "mciservice/MediaFileHeaders.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

namespace kelto::mciservice {

namespace {

std::uint32_t LittleEndian(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// Enough of a MIDI file to find its first tempo: it comes in the first track,
// before any note in every file a sequencer writes.
constexpr std::size_t kMidiHeadBytes = std::size_t{64} * 1024;
constexpr std::int64_t kDefaultTempo = 120;

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<WaveFormat> ReadWaveFormat(const std::string& path) {
    if (!IsRegularFile(path)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 12> riff{};
    if (!in.read(reinterpret_cast<char*>(riff.data()), riff.size()) ||
        std::string(riff.begin(), riff.begin() + 4) != "RIFF" ||
        std::string(riff.begin() + 8, riff.end()) != "WAVE") {
        return std::nullopt;
    }
    // Chunks follow one another, each padded to an even length; "fmt " must
    // come before "data".
    std::array<unsigned char, 8> chunk{};
    while (in.read(reinterpret_cast<char*>(chunk.data()), chunk.size())) {
        const std::string id(chunk.begin(), chunk.begin() + 4);
        const std::uint32_t size = LittleEndian(chunk.data() + 4, 4);
        if (id == "data") {
            return std::nullopt;
        }
        if (id == "fmt ") {
            std::array<unsigned char, 16> fmt{};
            if (size < fmt.size() || !in.read(reinterpret_cast<char*>(fmt.data()), fmt.size())) {
                return std::nullopt;
            }
            WaveFormat format;
            format.formatTag = LittleEndian(fmt.data(), 2);
            format.channels = LittleEndian(fmt.data() + 2, 2);
            format.samplesPerSec = LittleEndian(fmt.data() + 4, 4);
            format.bytesPerSec = LittleEndian(fmt.data() + 8, 4);
            format.alignment = LittleEndian(fmt.data() + 12, 2);
            format.bitsPerSample = LittleEndian(fmt.data() + 14, 2);
            if (format.channels == 0 || format.samplesPerSec == 0 || format.alignment == 0) {
                return std::nullopt;
            }
            return format;
        }
        in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
    }
    return std::nullopt;
}

std::int64_t ReadMidiTempo(const std::string& path) {
    if (!IsRegularFile(path)) {
        return kDefaultTempo;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(kMidiHeadBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    // The meta event "set tempo": FF 51 03 and microseconds a beat.
    for (std::size_t i = 0; i + 6 <= bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0x51 && bytes[i + 2] == 0x03) {
            const std::uint32_t micros = (std::uint32_t{bytes[i + 3]} << 16) |
                                         (std::uint32_t{bytes[i + 4]} << 8) | bytes[i + 5];
            if (micros == 0) {
                break;
            }
            return (60'000'000 + micros / 2) / micros;
        }
    }
    return kDefaultTempo;
}

}  // namespace kelto::mciservice
