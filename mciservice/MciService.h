#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mciservice/DeviceTable.h"

namespace kelto::mciservice {

struct ServiceOptions {
    // A video opened without a parent window gets a top-level window of its
    // own when a display is there (for a command-line user); otherwise its
    // picture is discarded.
    bool ownVideoWindows = false;
    // When set, opens go through it instead of the file system and the media
    // framework (see MediaDevice::PipelineOpener).
    MediaDevice::PipelineOpener pipelineOpener{};
};

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

    std::size_t OpenDeviceCount() const { return devices_.Size(); }

private:
    std::uint32_t Dispatch(std::string_view command, std::string& reply);

    ServiceOptions options_;
    DeviceTable devices_;
};

}  // namespace kelto::mciservice
