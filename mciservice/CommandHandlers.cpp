#include "mciservice/CommandHandlers.h"

#include <optional>
#include <string>
#include <vector>

#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/MciService.h"
#include "mciservice/ShortPathTable.h"

namespace kelto::mciservice::handlers {

namespace {

std::optional<std::int64_t> Optional(const Arguments& args, Kw kw) {
    return args.Has(kw) ? std::optional<std::int64_t>(args.Integer(kw)) : std::nullopt;
}

}  // namespace

std::uint32_t Open(CommandContext& context) {
    const Arguments& args = context.args;
    const Token& file = context.deviceName;
    std::optional<DeviceType> type;
    if (args.Has(Kw::Type)) {
        type = TypeNamed(args.Word(Kw::Type));
        if (!type) {
            return mcierr::kInvalidDeviceName;
        }
    }
    // "new" with the wave type is a device to record into, named by its alias.
    const bool recordNew =
        !file.quoted && EqualsNoCase(file.text, "new") && type == DeviceType::WaveAudio;
    if (recordNew && !args.Has(Kw::Alias)) {
        return mcierr::kMissingDeviceName;
    }
    const bool aliasGiven = args.Has(Kw::Alias);
    const std::string_view alias = aliasGiven ? args.Word(Kw::Alias) : file.text;
    if (alias.empty() || EqualsNoCase(alias, "all")) {
        return mcierr::kMissingDeviceName;
    }
    if (context.devices.Find(alias) != nullptr) {
        return aliasGiven ? mcierr::kDuplicateAlias : mcierr::kDeviceNameInUse;
    }

    const std::uint64_t parent = args.Has(Kw::Parent) && args.Integer(Kw::Parent) > 0
                                     ? static_cast<std::uint64_t>(args.Integer(Kw::Parent))
                                     : 0;
    if (recordNew) {
        MediaDevice::OpenOptions options;
        options.type = DeviceType::WaveAudio;
        options.recordNew = true;
        options.captureDevice = !context.options.pipelineOpener;
        std::unique_ptr<MediaDevice> device;
        MediaDevice::Open({}, options, device);
        context.reply = std::to_string(context.devices.Add(std::string(alias), std::move(device)));
        return mcierr::kNone;
    }
    return OpenFile(context, type, parent, alias);
}

std::uint32_t OpenFile(CommandContext& context, std::optional<DeviceType> type,
                       std::uint64_t parent, std::string_view alias) {
    // A short name is opened as the path it stands for; the alias it gives
    // without "alias" stays the name that was sent.
    const std::string path(context.shortPaths.LongForm(context.deviceName.text));
    MediaDevice::OpenOptions options;
    options.parentWindow = parent;
    options.ownWindowWithoutParent = context.options.ownVideoWindows;
    options.opener = &context.options.pipelineOpener;
    options.audioSinks = context.audioSinks;
    // Without a type the file's content, or failing that its name, picks the
    // device; the digital-video one plays whatever the other two do not.
    options.type =
        type
            ? *type
            : TypeForFile(path, !context.options.pipelineOpener).value_or(DeviceType::DigitalVideo);
    std::unique_ptr<MediaDevice> device;
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
    const struct {
        Kw keyword;
        std::string_view format;
    } phrases[] = {{Kw::TimeFormatSongPointer, "song pointer"},
                   {Kw::TimeFormatSmpte24, "smpte 24"},
                   {Kw::TimeFormatSmpte25, "smpte 25"},
                   {Kw::TimeFormatSmpte30, "smpte 30"},
                   {Kw::TimeFormatSmpte30Drop, "smpte 30 drop"}};
    for (const auto& phrase : phrases) {
        if (args.Has(phrase.keyword)) {
            if (const std::uint32_t rc = device.SetTimeFormat(phrase.format); rc != mcierr::kNone) {
                return rc;
            }
        }
    }
    for (const Kw item :
         {Kw::Channels, Kw::BitsPerSample, Kw::SamplesPerSec, Kw::BytesPerSec, Kw::Alignment}) {
        if (args.Has(item)) {
            if (const std::uint32_t rc = device.SetWaveFormat(item, args.Integer(item));
                rc != mcierr::kNone) {
                return rc;
            }
        }
    }
    if (args.Has(Kw::FormatTag)) {
        if (const std::uint32_t rc = device.SetFormatTag(args.Word(Kw::FormatTag));
            rc != mcierr::kNone) {
            return rc;
        }
    }
    if (args.Has(Kw::Tempo)) {
        if (const std::uint32_t rc = device.SetTempo(args.Integer(Kw::Tempo));
            rc != mcierr::kNone) {
            return rc;
        }
    }
    if (args.Has(Kw::Port)) {
        if (const std::uint32_t rc = device.SetPort(args.Word(Kw::Port)); rc != mcierr::kNone) {
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
    if (context.args.Has(Kw::SourceAt)) {
        return context.device->PutSource(context.args.RectValue());
    }
    return context.device->PutWindow(context.args.RectValue());
}

std::uint32_t Window(CommandContext& context) {
    const Arguments& args = context.args;
    MediaDevice& device = *context.device;
    // Drawing into another program's window is not done: only the device's own.
    if (args.Has(Kw::Handle)) {
        return mcierr::kUnsupportedFunction;
    }
    if (!device.HasPictures()) {
        return mcierr::kNoWindow;
    }
    if (args.Has(Kw::Text)) {
        device.SetWindowText(args.Word(Kw::Text));
    }
    using State = MediaDevice::WindowState;
    const std::optional<State> state = args.Has(Kw::StateHide)        ? State::Hidden
                                       : args.Has(Kw::StateShow)      ? State::Shown
                                       : args.Has(Kw::StateMinimized) ? State::Minimized
                                       : args.Has(Kw::StateMaximized) ? State::Maximized
                                                                      : std::optional<State>{};
    return state ? device.SetWindowState(*state) : mcierr::kNone;
}

std::uint32_t Step(CommandContext& context) {
    const Arguments& args = context.args;
    const std::int64_t by = args.Has(Kw::By) ? args.Integer(Kw::By) : 1;
    return context.device->Step(args.Has(Kw::Reverse) ? -by : by);
}

std::uint32_t Cue(CommandContext& context) {
    // Only a wave device records; it needs no more to be ready.
    if (context.args.Has(Kw::Input)) {
        return context.device->Type() == DeviceType::WaveAudio ? mcierr::kNone
                                                               : mcierr::kUnsupportedFunction;
    }
    if (context.device->Type() != DeviceType::DigitalVideo) {
        return mcierr::kNone;
    }
    return context.device->Cue(Optional(context.args, Kw::To));
}

std::uint32_t Record(CommandContext& context) {
    const Arguments& args = context.args;
    return context.device->Record(Optional(args, Kw::From), Optional(args, Kw::To),
                                  args.Has(Kw::Overwrite), args.Has(Kw::Wait));
}

std::uint32_t Save(CommandContext& context) {
    return context.device->Save(std::string(context.args.Word(Kw::FileName)));
}

std::uint32_t Delete(CommandContext& context) {
    return context.device->Delete(Optional(context.args, Kw::From), Optional(context.args, Kw::To));
}

std::uint32_t Break(CommandContext& context) {
    context.device->SetBreakKey(Optional(context.args, Kw::On));
    return mcierr::kNone;
}

std::uint32_t SetAudio(CommandContext& context) {
    const Arguments& args = context.args;
    if (args.Has(Kw::StreamTo)) {
        if (const std::uint32_t rc =
                context.device->SetStream(StreamKind::Audio, args.Integer(Kw::StreamTo));
            rc != mcierr::kNone) {
            return rc;
        }
    }
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

std::uint32_t SetVideo(CommandContext& context) {
    return context.device->SetStream(StreamKind::Video, context.args.Integer(Kw::StreamTo));
}

}  // namespace kelto::mciservice::handlers

namespace kelto::mciservice::handlers {

namespace {

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

std::string_view ProductName(DeviceType type) {
    switch (type) {
        case DeviceType::WaveAudio:
            return "Kelto wave audio";
        case DeviceType::Sequencer:
            return "Kelto MIDI sequencer";
        case DeviceType::DigitalVideo:
            break;
    }
    return "Kelto digital video";
}

}  // namespace

std::uint32_t Capability(CommandContext& context) {
    const MediaDevice& device = *context.device;
    std::string& reply = context.reply;
    switch (context.args.Item().value_or(Kw::Count)) {
        // What every device does: play files, with sound; nothing is recorded,
        // saved or ejected yet, and no picture can be frozen, locked, tested or
        // played backwards.
        case Kw::CanPlay:
        case Kw::CompoundDevice:
        case Kw::HasAudio:
        case Kw::UsesFiles:
            reply = TrueFalse(true);
            break;
        // A wave device records from the capture device and saves wave files.
        case Kw::CanRecord:
        case Kw::CanSave:
            reply = TrueFalse(device.Type() == DeviceType::WaveAudio);
            break;
        case Kw::CanEject:
        case Kw::CanFreeze:
        case Kw::CanLock:
        case Kw::CanReverse:
        case Kw::CanStretchInput:
        case Kw::CanTest:
        case Kw::HasStill:
        case Kw::UsesPalettes:
            reply = TrueFalse(false);
            break;
        case Kw::DeviceTypeItem:
            reply = TypeWord(device.Type());
            break;
        // "put ... destination" scales the picture to any size.
        case Kw::HasVideo:
        case Kw::CanStretch:
            reply = TrueFalse(device.HasPictures());
            break;
        // In frames a second, between the slowest and fastest speeds "set" takes.
        case Kw::MaximumPlayRate:
            reply = std::to_string(device.FrameRate() * MediaDevice::kMaxSpeed / 1000);
            break;
        case Kw::MinimumPlayRate:
            reply = "0";
            break;
        // One window a device; one capture and one output device, the desktop's defaults.
        case Kw::Windows:
        case Kw::Inputs:
        case Kw::Outputs:
            reply = "1";
            break;
        default:
            return mcierr::kMissingParameter;
    }
    return mcierr::kNone;
}

std::uint32_t Info(CommandContext& context) {
    const MediaDevice& device = *context.device;
    switch (context.args.Item().value_or(Kw::Count)) {
        case Kw::Product:
            context.reply = ProductName(device.Type());
            break;
        case Kw::File:
            context.reply = device.Path();
            break;
        case Kw::Version:
            context.reply = "1.0";
            break;
        case Kw::WindowText:
            if (!device.HasPictures()) {
                return mcierr::kNoWindow;
            }
            context.reply = device.WindowText();
            break;
        default:
            return mcierr::kMissingParameter;
    }
    return mcierr::kNone;
}

std::uint32_t Sysinfo(CommandContext& context) {
    const Arguments& args = context.args;
    // The device name is a type ("mpegvideo"), "all", or the alias of an open device.
    std::optional<DeviceType> type;
    if (!context.all) {
        type = TypeNamed(context.deviceName.text);
        if (!type) {
            const MediaDevice* device = context.devices.Find(context.deviceName.text);
            if (device == nullptr) {
                return mcierr::kInvalidDeviceName;
            }
            type = device->Type();
        }
    }
    const bool open = args.Has(Kw::Open);
    std::vector<std::string_view> names;
    if (open) {
        for (const DeviceTable::Open& entry : context.devices.List()) {
            if (!type || entry.device->Type() == *type) {
                names.push_back(entry.alias);
            }
        }
    } else {
        for (const InstalledType& installed : kInstalledTypes) {
            if (!type || installed.type == *type) {
                names.push_back(installed.name);
            }
        }
    }
    switch (args.Item().value_or(Kw::Count)) {
        case Kw::Quantity:
            context.reply = std::to_string(names.size());
            break;
        case Kw::Name: {
            const std::int64_t index = args.Integer(Kw::Name);
            if (index < 1 || static_cast<std::uint64_t>(index) > names.size()) {
                return mcierr::kOutOfRange;
            }
            context.reply = names[static_cast<std::size_t>(index - 1)];
            break;
        }
        case Kw::InstallName:
            if (open) {
                return mcierr::kFlagsNotCompatible;
            }
            if (!type) {
                return mcierr::kCannotUseAll;
            }
            context.reply = InstalledName(*type);
            break;
        default:
            return mcierr::kMissingParameter;
    }
    return mcierr::kNone;
}

}  // namespace kelto::mciservice::handlers
