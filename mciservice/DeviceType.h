#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelto::mciservice {

// The device types this service installs. Each has its own commands and items;
// the values are bits so that a command or keyword can name the types that know it.
enum class DeviceType : std::uint8_t { DigitalVideo = 1, WaveAudio = 2, Sequencer = 4 };

using DeviceTypes = std::uint8_t;
inline constexpr DeviceTypes kDigitalVideo = 1;
inline constexpr DeviceTypes kWaveAudio = 2;
inline constexpr DeviceTypes kSequencer = 4;
inline constexpr DeviceTypes kEveryType = kDigitalVideo | kWaveAudio | kSequencer;

constexpr DeviceTypes Bit(DeviceType type) { return static_cast<DeviceTypes>(type); }

// The installed types in their "sysinfo" order, by the name "open ... type" takes.
struct InstalledType {
    std::string_view name;
    DeviceType type;
};
inline constexpr InstalledType kInstalledTypes[] = {
    {"mpegvideo", DeviceType::DigitalVideo},
    {"waveaudio", DeviceType::WaveAudio},
    {"sequencer", DeviceType::Sequencer},
};

// The type a "type" word names: the installed names, and the older names of the
// digital-video device that scripts still use. Nullopt for anything else.
std::optional<DeviceType> TypeNamed(std::string_view name);

// The name "sysinfo" gives for an installed type ("mpegvideo").
std::string_view InstalledName(DeviceType type);

// The word "capability ... device type" answers ("digitalvideo").
std::string_view TypeWord(DeviceType type);

// The type a file opens as when "open" names none: a wave or MIDI file (by its
// first bytes, or by its extension when it cannot be read) goes to its own
// device, anything else to the digital-video one. Nullopt when a name without a
// known media extension cannot tell (the device name of an unknown alias).
std::optional<DeviceType> TypeForFile(const std::string& path, bool readContent);

// Whether the file's first bytes are those of its type's own format: a RIFF
// WAVE file for waveaudio, a standard or RIFF MIDI file for the sequencer. The
// digital-video device takes any media.
bool ContentFits(const std::string& path, DeviceType type);

}  // namespace kelto::mciservice
