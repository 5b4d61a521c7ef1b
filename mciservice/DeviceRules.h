#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/ServiceOptions.h"

namespace kelto::mciservice {

class Arguments;
class DeviceTable;
class MediaDevice;
struct CommandSpec;

// The rules every device type keeps around its commands, in one place: which
// commands a device as it stands may take, and what becomes of the
// notification a command leaves waiting for its end. The command table holds
// the data (a command's kinds of device and modes, whether it ends an action,
// whether it is told at its end); this applies it, to the commands others add
// as well.
class DeviceRules {
public:
    explicit DeviceRules(const NotifyCallback& notify) : notify_(notify) {}

    // 0 when the device, as it stands, may take the parsed command; 274 when
    // its kind cannot do it at all, 302 when its state does not allow it.
    static std::uint32_t Admit(const CommandSpec& entry, const class Arguments& args,
                               const MediaDevice& device);

    // A parsed command is about to act on the device. One notification waits
    // at a time: a command that asks for one supersedes it, a command that
    // ends the action it waits for aborts it.
    void BeforeCommand(const CommandSpec& entry, bool notify, MediaDevice& device,
                       std::string_view alias) const;
    // After it acted with `rc`: what its own "notify" is told, now or, for an
    // action under way on `device`, at its end. A refused command tells nothing.
    void AfterCommand(const CommandSpec& entry, bool notify, std::uint32_t rc, MediaDevice* device,
                      std::string_view alias) const;
    // A command to "all" that the service carries out itself ("close all"):
    // each open device is told as if the command had named it. Returns the
    // aliases for AfterAll.
    std::vector<std::string> BeforeAll(const CommandSpec& entry, bool notify,
                                       const DeviceTable& devices) const;
    void AfterAll(bool notify, std::uint32_t rc, const std::vector<std::string>& aliases) const;
    // Tells the actions that have ended since the last look.
    void Poll(const DeviceTable& devices) const;
    void Tell(std::string_view alias, NotifyStatus status) const;

private:
    const NotifyCallback& notify_;
};

}  // namespace kelto::mciservice
