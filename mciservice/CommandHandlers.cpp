#include "mciservice/CommandHandlers.h"

#include <array>
#include <optional>

#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/MciService.h"
#include "mciservice/ShortPathTable.h"

namespace kelto::mciservice::handlers {

namespace {

// Device types this device answers to; all of them play through the same
// pipeline, which finds the right decoder itself.
constexpr std::array<std::string_view, 5> kDeviceTypes{"mpegvideo", "mpegvideo2", "avivideo",
                                                       "waveaudio", "sequencer"};

std::optional<std::int64_t> Optional(const Arguments& args, Kw kw) {
    return args.Has(kw) ? std::optional<std::int64_t>(args.Integer(kw)) : std::nullopt;
}

}  // namespace

std::uint32_t Open(CommandContext& context) {
    const Arguments& args = context.args;
    const Token& file = context.deviceName;
    if (args.Has(Kw::Type)) {
        bool known = false;
        for (const std::string_view type : kDeviceTypes) {
            known = known || EqualsNoCase(type, args.Word(Kw::Type));
        }
        if (!known) {
            return mcierr::kInvalidDeviceName;
        }
    }
    const bool aliasGiven = args.Has(Kw::Alias);
    const std::string_view alias = aliasGiven ? args.Word(Kw::Alias) : file.text;
    if (alias.empty() || EqualsNoCase(alias, "all")) {
        return mcierr::kMissingDeviceName;
    }
    if (context.devices.Find(alias) != nullptr) {
        return aliasGiven ? mcierr::kDuplicateAlias : mcierr::kDeviceNameInUse;
    }

    MediaDevice::OpenOptions options;
    if (args.Has(Kw::Parent) && args.Integer(Kw::Parent) > 0) {
        options.parentWindow = static_cast<std::uint64_t>(args.Integer(Kw::Parent));
    }
    options.ownWindowWithoutParent = context.options.ownVideoWindows;
    options.opener = &context.options.pipelineOpener;
    options.audioSinks = context.audioSinks;
    std::unique_ptr<MediaDevice> device;
    // A short name is opened as the path it stands for; the alias it gives
    // without "alias" stays the name that was sent.
    const std::string path(context.shortPaths.LongForm(file.text));
    if (const std::uint32_t rc = MediaDevice::Open(path, options, device); rc != mcierr::kNone) {
        return rc;
    }
    // The reply is the device's number ("1" for the first), the language's answer to an open.
    context.reply = std::to_string(context.devices.Add(std::string(alias), std::move(device)));
    return mcierr::kNone;
}

std::uint32_t Close(CommandContext& context) {
    if (context.all) {
        // Succeeds with nothing open: the player sends "Close All" before every open.
        context.devices.Clear();
    } else {
        context.devices.Remove(context.deviceName.text);
    }
    return mcierr::kNone;
}

std::uint32_t Play(CommandContext& context) {
    return context.device->Play(Optional(context.args, Kw::From), Optional(context.args, Kw::To),
                                context.args.Has(Kw::Wait));
}

std::uint32_t Pause(CommandContext& context) { return context.device->Pause(); }

std::uint32_t Resume(CommandContext& context) { return context.device->Resume(); }

std::uint32_t Stop(CommandContext& context) { return context.device->Stop(); }

std::uint32_t Seek(CommandContext& context) {
    const Arguments& args = context.args;
    return context.device->Seek(Optional(args, Kw::To), args.Has(Kw::ToEnd), args.Has(Kw::Wait));
}

std::uint32_t Set(CommandContext& context) {
    const Arguments& args = context.args;
    MediaDevice& device = *context.device;
    // Checked before anything changes, so a bad value leaves the device as it was.
    if (args.Has(Kw::Speed) &&
        (args.Integer(Kw::Speed) <= 0 || args.Integer(Kw::Speed) > MediaDevice::kMaxSpeed)) {
        return mcierr::kOutOfRange;
    }
    if (args.Has(Kw::TimeFormat)) {
        if (const std::uint32_t rc = device.SetTimeFormat(args.Word(Kw::TimeFormat));
            rc != mcierr::kNone) {
            return rc;
        }
    }
    if (args.Has(Kw::Speed)) {
        if (const std::uint32_t rc = device.SetSpeed(args.Integer(Kw::Speed));
            rc != mcierr::kNone) {
            return rc;
        }
    }
    if (args.Has(Kw::AudioAllOn) || args.Has(Kw::AudioAllOff)) {
        return device.SetMute(args.Has(Kw::AudioAllOff));
    }
    return mcierr::kNone;
}

std::uint32_t Status(CommandContext& context) {
    return context.device->Status(*context.args.Item(), context.reply);
}

std::uint32_t Where(CommandContext& context) {
    return context.device->Where(*context.args.Item(), context.reply);
}

std::uint32_t Put(CommandContext& context) {
    return context.device->PutWindow(context.args.RectValue());
}

std::uint32_t SetAudio(CommandContext& context) {
    const Arguments& args = context.args;
    if (args.Has(Kw::VolumeTo)) {
        if (const std::uint32_t rc = context.device->SetVolume(args.Integer(Kw::VolumeTo));
            rc != mcierr::kNone) {
            return rc;
        }
    }
    if (args.Has(Kw::On) || args.Has(Kw::Off)) {
        return context.device->SetMute(args.Has(Kw::Off));
    }
    return mcierr::kNone;
}

}  // namespace kelto::mciservice::handlers
