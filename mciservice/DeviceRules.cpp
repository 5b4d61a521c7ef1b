#include "mciservice/DeviceRules.h"

#include "mciservice/CommandTable.h"
#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"

namespace kelto::mciservice {

std::uint32_t DeviceRules::Admit(const CommandSpec& entry, const MediaDevice& device) {
    // A new wave device has a recording, not a file; a device on a file has
    // nothing to record into.
    const DeviceKinds kind = device.Records() ? kNewDevice : kFileDevice;
    if ((entry.kinds & kind) == 0) {
        return mcierr::kUnsupportedFunction;
    }
    return mcierr::kNone;
}

void DeviceRules::Tell(std::string_view alias, NotifyStatus status) const {
    if (notify_) {
        notify_(alias, status);
    }
}

void DeviceRules::BeforeCommand(const CommandSpec& entry, bool notify, MediaDevice& device,
                                std::string_view alias) const {
    // A play that a later command ends no longer ends by itself.
    if (entry.interrupts && device.NotifyPending()) {
        device.SetNotifyPending(false);
        Tell(alias, notify ? NotifyStatus::Superseded : NotifyStatus::Aborted);
    }
}

void DeviceRules::AfterCommand(const CommandSpec& entry, bool notify, std::uint32_t rc,
                               MediaDevice* device, std::string_view alias) const {
    if (rc != mcierr::kNone || !notify) {
        return;
    }
    // A play under way is told at its end; everything else is done now.
    if (entry.toldAtEnd && device != nullptr && !device->IsStopped()) {
        device->SetNotifyPending(true);
    } else {
        Tell(alias, NotifyStatus::Successful);
    }
}

void DeviceRules::BeforeAll(const CommandSpec& entry, bool notify,
                            const DeviceTable& devices) const {
    if (!entry.interrupts) {
        return;
    }
    for (const DeviceTable::Open& open : devices.List()) {
        BeforeCommand(entry, notify, *open.device, open.alias);
    }
}

void DeviceRules::Poll(const DeviceTable& devices) const {
    for (const DeviceTable::Open& open : devices.List()) {
        MediaDevice& device = *open.device;
        if (device.NotifyPending()) {
            device.Poll();
            if (device.IsStopped()) {
                device.SetNotifyPending(false);
                Tell(open.alias,
                     device.EndedInError() ? NotifyStatus::Failure : NotifyStatus::Successful);
            }
        }
    }
}

}  // namespace kelto::mciservice
