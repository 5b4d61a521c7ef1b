#include "mciservice/SystemSound.h"

#include <glib.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <vector>

#include "mciservice/AudioSinkProbe.h"
#include "mciservice/CommandParser.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/MediaDevice.h"
#include "mciservice/MediaFileHeaders.h"

namespace kelto::mciservice {

namespace {

// The system's sound names and the theme's names for the same events, the
// nearest first; the theme's own fallback for all of them is its bell.
struct SoundName {
    std::string_view system;
    std::array<std::string_view, 2> theme;
};
constexpr SoundName kSoundNames[] = {
    {"SystemAsterisk", {"dialog-information"}},
    {"SystemExclamation", {"dialog-warning"}},
    {"SystemHand", {"dialog-error", "dialog-warning"}},
    {"SystemQuestion", {"dialog-question", "window-question"}},
    {"SystemDefault", {"bell"}},
    {".Default", {"bell"}},
    {"SystemNotification", {"message", "bell"}},
    {"Notification.Default", {"message", "bell"}},
    {"SystemStart", {"desktop-login", "service-login"}},
    {"WindowsLogon", {"desktop-login", "service-login"}},
    {"SystemExit", {"desktop-logout", "service-logout"}},
    {"WindowsLogoff", {"desktop-logout", "service-logout"}},
    {"MailBeep", {"message-new-email", "message"}},
    {"DeviceConnect", {"device-added"}},
    {"DeviceDisconnect", {"device-removed"}},
    {"DeviceFail", {"suspend-error", "dialog-error"}},
    {"EmptyRecycleBin", {"trash-empty"}},
    {"LowBatteryAlarm", {"battery-low", "power-unplug"}},
    {"CriticalBatteryAlarm", {"battery-caution", "power-unplug"}},
    {"PrintComplete", {"complete"}},
};
constexpr std::string_view kDefaultSound = "bell";
constexpr std::string_view kTheme = "freedesktop";
constexpr std::array<std::string_view, 3> kExtensions{".oga", ".ogg", ".wav"};
// As long as a first open waits for the sound output to be found.
constexpr std::chrono::seconds kOutputWait{3};

// The theme's file for one of its names, looked for in the user's data folder
// and then the system's, as the sound theme layout has them.
std::string ThemeFile(std::string_view name) {
    // A name is a word, never a path into or out of the theme.
    if (name.empty() || name.find('/') != std::string_view::npos || name.front() == '.') {
        return {};
    }
    std::vector<std::filesystem::path> roots{g_get_user_data_dir()};
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
        roots.emplace_back(*dir);
    }
    for (const std::filesystem::path& root : roots) {
        for (const std::string_view extension : kExtensions) {
            const std::filesystem::path file =
                root / "sounds" / kTheme / "stereo" / (std::string(name) + std::string(extension));
            if (IsRegularFile(file.string())) {
                return file.string();
            }
        }
    }
    return {};
}

}  // namespace

std::string SystemSoundFile(std::string_view name) {
    if (name.find('/') != std::string_view::npos) {
        if (IsRegularFile(std::string(name))) {
            return std::string(name);
        }
    } else {
        for (const SoundName& sound : kSoundNames) {
            if (EqualsNoCase(sound.system, name)) {
                for (const std::string_view theme : sound.theme) {
                    if (std::string file = ThemeFile(theme); !file.empty()) {
                        return file;
                    }
                }
            }
        }
        if (std::string file = ThemeFile(name); !file.empty()) {
            return file;
        }
    }
    return ThemeFile(kDefaultSound);
}

std::uint32_t PlaySystemSound(std::string_view name, bool wait, AudioSinkProbe* sinks,
                              std::unique_ptr<MediaDevice>& playing) {
    // A stand-in service has no sound output to play on.
    if (sinks == nullptr) {
        return mcierr::kHardware;
    }
    // A new sound cuts off the one before, as the system's sounds do.
    playing.reset();
    { const GstPtr<GstElement> probe = sinks->MakeSink(kOutputWait); }
    if (sinks->Found().empty()) {
        return mcierr::kHardware;
    }
    const std::string file = SystemSoundFile(name);
    MediaDevice::OpenOptions options;
    options.audioSinks = sinks;
    std::unique_ptr<MediaDevice> device;
    // No theme installed, or a file that does not play: silence, as the
    // system's is with no sound set for the name.
    if (file.empty() || MediaDevice::Open(file, options, device) != mcierr::kNone) {
        return mcierr::kNone;
    }
    if (device->Play(std::nullopt, std::nullopt, wait) == mcierr::kNone && !device->IsStopped()) {
        playing = std::move(device);
    }
    return mcierr::kNone;
}

}  // namespace kelto::mciservice
