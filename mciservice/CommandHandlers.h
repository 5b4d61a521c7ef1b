#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mciservice/CommandTable.h"

namespace kelto::mciservice::handlers {

// One per verb. The service has found the device (or "all") and parsed the
// keywords before calling; each handler returns the command's code.
std::uint32_t Open(CommandContext& context);
// Opens `path` on a device of `type` under `alias`. The reply is the new
// device's number.
std::uint32_t OpenFile(CommandContext& context, const std::string& path, DeviceType type,
                       std::uint64_t parent, std::string_view alias);
// Opens a device of `type` with no file under `alias`: a waveaudio device to
// record into, any other with nothing to play.
std::uint32_t OpenDeviceAlone(CommandContext& context, DeviceType type, std::string_view alias);
std::uint32_t Close(CommandContext& context);
std::uint32_t Play(CommandContext& context);
std::uint32_t Pause(CommandContext& context);
std::uint32_t Resume(CommandContext& context);
std::uint32_t Stop(CommandContext& context);
std::uint32_t Seek(CommandContext& context);
std::uint32_t Set(CommandContext& context);
std::uint32_t Status(CommandContext& context);
std::uint32_t Where(CommandContext& context);
std::uint32_t Put(CommandContext& context);
std::uint32_t SetAudio(CommandContext& context);
std::uint32_t SetVideo(CommandContext& context);
std::uint32_t Window(CommandContext& context);
std::uint32_t Step(CommandContext& context);
std::uint32_t Cue(CommandContext& context);
std::uint32_t Break(CommandContext& context);
// The device name is a sound's name.
std::uint32_t Sound(CommandContext& context);
std::uint32_t Record(CommandContext& context);
std::uint32_t Save(CommandContext& context);
std::uint32_t Delete(CommandContext& context);
std::uint32_t Capability(CommandContext& context);
std::uint32_t Info(CommandContext& context);
std::uint32_t Sysinfo(CommandContext& context);

}  // namespace kelto::mciservice::handlers
