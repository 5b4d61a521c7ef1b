#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelto::mciservice {

// The file "sound NAME" plays: the desktop sound theme's sound for one of the
// system's sound names scripts use ("SystemExclamation"), a theme sound by its
// own name ("dialog-warning"), or a sound file by its path. A name with no
// sound plays the default sound, as the system does. Empty when no sound
// theme is installed.
std::string SystemSoundFile(std::string_view name);

class AudioSinkProbe;
class MediaDevice;

// Plays the sound for `name` on the sound output `sinks` finds, to its end
// with `wait`; `playing` takes the device that plays it. 262 when there is no
// sound output; 0 when there is, whether or not there was a sound to play.
std::uint32_t PlaySystemSound(std::string_view name, bool wait, AudioSinkProbe* sinks,
                              std::unique_ptr<MediaDevice>& playing);

}  // namespace kelto::mciservice
