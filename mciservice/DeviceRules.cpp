#include "mciservice/DeviceRules.h"

#include "mciservice/CommandTable.h"
#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"

namespace kelto::mciservice {

namespace {

DeviceModes ModeBit(MediaDevice::Mode mode) {
    switch (mode) {
        case MediaDevice::Mode::Playing:
            return kPlaying;
        case MediaDevice::Mode::Paused:
            return kPaused;
        case MediaDevice::Mode::Recording:
            return kRecording;
        case MediaDevice::Mode::Stopped:
            break;
    }
    return kStopped;
}

DeviceKinds KindOf(const MediaDevice& device) {
    return device.Records() ? kNewDevice : device.HasNoFile() ? kNoFileDevice : kFileDevice;
}

// Items that a kind of device has no answer for, though its type knows them.
struct ItemRule {
    std::string_view verb;
    Kw item;
    DeviceKinds kinds;  // the kinds that answer
};
// A new recording has no file until it is saved.
constexpr ItemRule kItemRules[] = {{"info", Kw::File, kFileDevice}};

}  // namespace

std::uint32_t DeviceRules::Admit(const CommandSpec& entry, const Arguments& args,
                                 const MediaDevice& device) {
    const DeviceKinds kind = KindOf(device);
    if ((entry.kinds & kind) == 0) {
        // A recording is only kept, not played, until it is saved and opened;
        // a device on a file has nothing to record into. A device with no
        // file could, once it had one.
        return kind == kNoFileDevice ? mcierr::kSequenceError : mcierr::kUnsupportedFunction;
    }
    if ((entry.modes & ModeBit(device.CurrentMode())) == 0) {
        return mcierr::kSequenceError;
    }
    for (const ItemRule& rule : kItemRules) {
        if (EqualsNoCase(rule.verb, entry.verb) && args.Item() == rule.item &&
            (rule.kinds & kind) == 0) {
            return mcierr::kSequenceError;
        }
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
    if (device.NotifyPending() && (notify || entry.interrupts)) {
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

std::vector<std::string> DeviceRules::BeforeAll(const CommandSpec& entry, bool notify,
                                                const DeviceTable& devices) const {
    std::vector<std::string> aliases;
    for (const DeviceTable::Open& open : devices.List()) {
        BeforeCommand(entry, notify, *open.device, open.alias);
        aliases.emplace_back(open.alias);
    }
    return aliases;
}

void DeviceRules::AfterAll(bool notify, std::uint32_t rc,
                           const std::vector<std::string>& aliases) const {
    // Nothing open, nothing told.
    for (const std::string& alias : aliases) {
        AfterCommand({}, notify, rc, nullptr, alias);
    }
}

void DeviceRules::Poll(const DeviceTable& devices) const {
    std::vector<DeviceTable::Open> each = devices.List();
    if (devices.Sound() != nullptr) {
        each.push_back({devices.SoundName(), devices.Sound()});
    }
    for (const DeviceTable::Open& open : each) {
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
