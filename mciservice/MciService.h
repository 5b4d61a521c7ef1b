#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mciservice/DeviceRules.h"
#include "mciservice/ServiceOptions.h"
#include "mciservice/ShortPathTable.h"
#include "platform/TrackTags.h"

namespace kelto::mciservice {

class AudioSinkProbe;
class DeviceTable;
class MediaDevice;
struct CommandContext;
struct CommandLine;
struct CommandSpec;

// The command interpreter: takes command strings of the media control
// language, acts on the devices it has opened, and answers each with a code (0
// for success) and a reply text. One caller thread only; the pipelines' own
// threads reach the devices through their buses, which each command drains.
class MciService {
public:
    explicit MciService(ServiceOptions options = {});
    MciService(const MciService&) = delete;
    MciService& operator=(const MciService&) = delete;
    ~MciService();

    // `reply` is replaced by the command's reply, empty on any error.
    std::uint32_t SendString(std::string_view command, std::string& reply);

    // The English description of `code`; empty for a code this service never gives.
    static std::string ErrorText(std::uint32_t code);

    std::size_t OpenDeviceCount() const;
    // The device open under `alias` (any letter case), for what has no
    // command words; null when there is none. Valid until the next command.
    MediaDevice* FindDevice(std::string_view alias) const;

    // What the device open under `alias` has read of its tags, and why its
    // stream stopped; no command asks for these.
    std::uint64_t TagsVersion(std::string_view alias) const;
    platform::TrackTags Tags(std::string_view alias) const;
    std::string StreamFailure(std::string_view alias) const;

    // The short names this service hands out and reads back in open commands.
    ShortPathTable& ShortPaths() { return shortPaths_; }

    // Looks at the devices between commands: tells the notifications of plays
    // that have ended and closes the devices opened for one command whose
    // play has ended. Every command does this first; a caller waiting for a
    // notification calls it now and then.
    void Poll();

private:
    std::uint32_t Dispatch(std::string_view command, std::string& reply);
    std::uint32_t DispatchToAll(const CommandSpec& entry, const CommandLine& line,
                                std::string& reply);
    // Opens the device a command names by a file or a device type where no
    // alias is open, into the context.
    std::uint32_t AutoOpen(const CommandSpec& entry, const CommandLine& line,
                           CommandContext& context);
    // Runs the command on the device and tells what its "notify" asks.
    std::uint32_t RunNotifying(const CommandSpec& entry, const CommandLine& line,
                               CommandContext& context, std::string_view alias);

    ServiceOptions options_;
    // Reads options_'s notify callback.
    DeviceRules rules_{options_.notify};
    ShortPathTable shortPaths_;
    // Declared before the devices, so that it outlives every pipeline that
    // took a sink from it.
    std::unique_ptr<AudioSinkProbe> audioSinks_;
    std::unique_ptr<DeviceTable> devices_;
};

}  // namespace kelto::mciservice
