#include "mciservice/DeviceType.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "mciservice/CommandParser.h"
#include "mciservice/MediaFileHeaders.h"

namespace kelto::mciservice {

namespace {

constexpr std::array<std::string_view, 2> kWaveExtensions{".wav", ".wave"};
constexpr std::array<std::string_view, 3> kMidiExtensions{".mid", ".midi", ".rmi"};
// Files the digital-video device plays; naming one instead of an alias opens it.
constexpr std::array<std::string_view, 18> kVideoExtensions{
    ".mpg", ".mpeg", ".m1v",  ".mpe", ".mp2",  ".mp3",  ".vob", ".avi", ".mp4",
    ".m4a", ".mkv",  ".webm", ".ogg", ".opus", ".flac", ".mov", ".wmv", ".asf"};

template <std::size_t N>
bool EndsWithOneOf(std::string_view path, const std::array<std::string_view, N>& endings) {
    for (const std::string_view ending : endings) {
        if (path.size() > ending.size() &&
            EqualsNoCase(path.substr(path.size() - ending.size()), ending)) {
            return true;
        }
    }
    return false;
}

// The first 12 bytes, fewer when the file is shorter or cannot be read; none
// from anything but a regular file.
std::string Head(const std::string& path) {
    if (!IsRegularFile(path)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    std::array<char, 12> bytes{};
    in.read(bytes.data(), bytes.size());
    return std::string(bytes.data(),
                       static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
}

bool IsWave(const std::string& head) {
    return head.size() == 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "WAVE") == 0;
}

bool IsMidi(const std::string& head) {
    return head.compare(0, 4, "MThd") == 0 ||
           (head.size() == 12 && head.compare(0, 4, "RIFF") == 0 &&
            head.compare(8, 4, "RMID") == 0);
}

}  // namespace

std::optional<DeviceType> TypeNamed(std::string_view name) {
    for (const InstalledType& installed : kInstalledTypes) {
        if (EqualsNoCase(installed.name, name)) {
            return installed.type;
        }
    }
    if (EqualsNoCase(name, "mpegvideo2") || EqualsNoCase(name, "avivideo") ||
        EqualsNoCase(name, "digitalvideo")) {
        return DeviceType::DigitalVideo;
    }
    return std::nullopt;
}

std::string_view InstalledName(DeviceType type) {
    for (const InstalledType& installed : kInstalledTypes) {
        if (installed.type == type) {
            return installed.name;
        }
    }
    return {};
}

std::string_view TypeWord(DeviceType type) {
    switch (type) {
        case DeviceType::WaveAudio:
            return "waveaudio";
        case DeviceType::Sequencer:
            return "sequencer";
        case DeviceType::DigitalVideo:
            break;
    }
    return "digitalvideo";
}

std::optional<DeviceType> TypeForFile(const std::string& path, bool readContent) {
    if (readContent) {
        const std::string head = Head(path);
        if (IsWave(head)) {
            return DeviceType::WaveAudio;
        }
        if (IsMidi(head)) {
            return DeviceType::Sequencer;
        }
        // A file that can be read and is neither goes to the device that plays
        // everything else, whatever its name says.
        if (!head.empty() &&
            (EndsWithOneOf(path, kWaveExtensions) || EndsWithOneOf(path, kMidiExtensions) ||
             EndsWithOneOf(path, kVideoExtensions))) {
            return DeviceType::DigitalVideo;
        }
    }
    if (EndsWithOneOf(path, kWaveExtensions)) {
        return DeviceType::WaveAudio;
    }
    if (EndsWithOneOf(path, kMidiExtensions)) {
        return DeviceType::Sequencer;
    }
    if (EndsWithOneOf(path, kVideoExtensions)) {
        return DeviceType::DigitalVideo;
    }
    return std::nullopt;
}

bool ContentFits(const std::string& path, DeviceType type) {
    switch (type) {
        case DeviceType::WaveAudio:
            return IsWave(Head(path));
        case DeviceType::Sequencer:
            return IsMidi(Head(path));
        case DeviceType::DigitalVideo:
            break;
    }
    return true;
}

}  // namespace kelto::mciservice
