#pragma once

#include <cstdint>
#include <string_view>

#include "mciservice/ServiceOptions.h"

namespace kelto::mciservice {

class DeviceTable;
class MediaDevice;
struct CommandSpec;

// The rules every device type keeps around its commands, in one place: which
// commands a device as it stands may take, and what becomes of the
// notification a play or a recording leaves waiting for its end. The command
// table holds the data (a command's kinds of device, whether it ends an
// action, whether it is told at its end); this applies it.
class DeviceRules {
public:
    explicit DeviceRules(const NotifyCallback& notify) : notify_(notify) {}

    // 0 when the device may take the command, its code otherwise.
    static std::uint32_t Admit(const CommandSpec& entry, const MediaDevice& device);

    // Before the command acts on the device: a waiting notification that the
    // command ends is told so.
    void BeforeCommand(const CommandSpec& entry, bool notify, MediaDevice& device,
                       std::string_view alias) const;
    // After it acted with `rc`: what its own "notify" is told, now or at its
    // end. The device may be gone (a close).
    void AfterCommand(const CommandSpec& entry, bool notify, std::uint32_t rc, MediaDevice* device,
                      std::string_view alias) const;
    // Before a command to "all" that is not sent to each device ("close all").
    void BeforeAll(const CommandSpec& entry, bool notify, const DeviceTable& devices) const;
    // Tells the plays and recordings that have ended since the last look.
    void Poll(const DeviceTable& devices) const;
    void Tell(std::string_view alias, NotifyStatus status) const;

private:
    const NotifyCallback& notify_;
};

}  // namespace kelto::mciservice
