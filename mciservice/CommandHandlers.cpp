#include "mciservice/CommandHandlers.h"

#include <optional>
#include <string>
#include <vector>

#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/MciService.h"
#include "mciservice/ShortPathTable.h"
#include "mciservice/SystemSound.h"

namespace kelto::mciservice::handlers {

namespace {

std::optional<std::int64_t> Optional(const Arguments& args, Kw kw) {
    return args.Has(kw) ? std::optional<std::int64_t>(args.Integer(kw)) : std::nullopt;
}

}  // namespace

namespace {

// Whether a name with neither a folder nor an extension can be a file: only
// with "type"; otherwise it names a device, as "open sequencer" does.
bool LooksLikeFile(std::string_view path) {
    return path.find('/') != std::string_view::npos || path.find('.') != std::string_view::npos;
}

// What the device name of an "open" asks for.
struct OpenTarget {
    std::optional<DeviceType> type;
    std::string element;  // the file; empty for a device alone
    std::string defaultAlias;
};

// The device name comes first: "new", "type!element", a device's own name or
// a file. 0 or the code of the first fault in it.
std::uint32_t ReadOpenTarget(const CommandContext& context, OpenTarget& target) {
    const Arguments& args = context.args;
    const Token& name = context.deviceName;
    if (args.Has(Kw::Type)) {
        target.type = TypeNamed(args.Word(Kw::Type));
        if (!target.type) {
            return mcierr::kInvalidDeviceName;
        }
    }
    target.defaultAlias = std::string(name.text);
    if (!name.quoted && EqualsNoCase(name.text, "new")) {
        // A new device has no other name to go by.
        if (!args.Has(Kw::Alias)) {
            return mcierr::kNewRequiresAlias;
        }
        if (!target.type) {
            return mcierr::kMissingDeviceName;
        }
        // Only the wave device records something new.
        return *target.type == DeviceType::WaveAudio ? mcierr::kNone : mcierr::kUnsupportedFunction;
    }
    if (const std::size_t bang = name.text.find('!');
        !name.quoted && bang != std::string_view::npos) {
        const std::optional<DeviceType> named = TypeNamed(name.text.substr(0, bang));
        target.element = std::string(context.shortPaths.LongForm(name.text.substr(bang + 1)));
        if (!named || target.element.empty()) {
            return mcierr::kInvalidDeviceName;
        }
        if (target.type && *target.type != *named) {
            return mcierr::kFlagsNotCompatible;
        }
        target.type = named;
        target.defaultAlias = std::string(name.text.substr(bang + 1));
        return mcierr::kNone;
    }
    const std::string path(context.shortPaths.LongForm(name.text));
    if (!target.type) {
        // A device's own name opens the device with no file; a waveaudio
        // device so opened records, as a new one does.
        if (const std::optional<DeviceType> named = TypeNamed(name.text); named && !name.quoted) {
            target.type = named;
            return mcierr::kNone;
        }
        if (!LooksLikeFile(path)) {
            return mcierr::kInvalidDeviceName;
        }
    }
    target.element = path;
    return mcierr::kNone;
}

}  // namespace

std::uint32_t Open(CommandContext& context) {
    const Arguments& args = context.args;
    OpenTarget target;
    if (const std::uint32_t rc = ReadOpenTarget(context, target); rc != mcierr::kNone) {
        return rc;
    }
    const bool aliasGiven = args.Has(Kw::Alias);
    const std::string alias(aliasGiven ? args.Word(Kw::Alias) : target.defaultAlias);
    if (alias.empty() || EqualsNoCase(alias, "all")) {
        return mcierr::kMissingDeviceName;
    }
    // A device's own name cannot be taken by another: commands to it would be
    // ambiguous.
    if (context.devices.Find(alias) != nullptr || (aliasGiven && TypeNamed(alias))) {
        return aliasGiven ? mcierr::kDuplicateAlias : mcierr::kDeviceNameInUse;
    }
    // Without a type the file's content, or failing that its name, picks the
    // device; the digital-video one plays whatever the other two do not.
    const DeviceType type = target.type
                                ? *target.type
                                : TypeForFile(target.element, !context.options.pipelineOpener)
                                      .value_or(DeviceType::DigitalVideo);
    // The flags are the device type's own.
    for (const KeywordSpec& keyword : FindCommand("open")->keywords) {
        if (args.Has(keyword.id) && (keyword.types & Bit(type)) == 0) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    // Each open is a device of its own: the wave and MIDI devices share none.
    if (args.Has(Kw::Shareable) && type != DeviceType::DigitalVideo) {
        return mcierr::kUnsupportedFunction;
    }
    const std::uint64_t parent = args.Has(Kw::Parent) && args.Integer(Kw::Parent) > 0
                                     ? static_cast<std::uint64_t>(args.Integer(Kw::Parent))
                                     : 0;
    if (target.element.empty()) {
        return OpenDeviceAlone(context, type, alias);
    }
    return OpenFile(context, target.element, type, parent, alias);
}

std::uint32_t OpenDeviceAlone(CommandContext& context, DeviceType type, std::string_view alias) {
    MediaDevice::OpenOptions options;
    options.type = type;
    options.recordNew = type == DeviceType::WaveAudio;
    options.noFile = !options.recordNew;
    options.captureDevice = !context.options.pipelineOpener;
    std::unique_ptr<MediaDevice> device;
    MediaDevice::Open({}, options, device);
    context.reply = std::to_string(context.devices.Add(std::string(alias), std::move(device)));
    context.opened = std::string(alias);
    return mcierr::kNone;
}

std::uint32_t OpenFile(CommandContext& context, const std::string& path, DeviceType type,
                       std::uint64_t parent, std::string_view alias) {
    MediaDevice::OpenOptions options;
    options.parentWindow = parent;
    options.ownWindowWithoutParent = context.options.ownVideoWindows;
    options.opener = &context.options.pipelineOpener;
    options.audioSinks = context.audioSinks;
    options.type = type;
    std::unique_ptr<MediaDevice> device;
    if (const std::uint32_t rc = MediaDevice::Open(path, options, device); rc != mcierr::kNone) {
        return rc;
    }
    // The reply is the device's number ("1" for the first), the language's answer to an open.
    context.reply = std::to_string(context.devices.Add(std::string(alias), std::move(device)));
    context.opened = std::string(alias);
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
    const Arguments& args = context.args;
    if (!args.Item()) {
        return mcierr::kMissingParameter;
    }
    Kw item = *args.Item();
    if (args.Has(Kw::Track)) {
        // A file is one track, which starts at the start.
        if (args.Integer(Kw::Track) != 1) {
            return mcierr::kOutOfRange;
        }
        item = item == Kw::Position ? Kw::StartPosition : item;
    }
    return context.device->Status(item, context.reply);
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
    if (!device.HasPictures()) {
        return mcierr::kNoWindow;
    }
    if (args.Has(Kw::Handle) || args.Has(Kw::HandleDefault)) {
        const std::int64_t handle = args.Has(Kw::Handle) ? args.Integer(Kw::Handle) : 0;
        if (args.Has(Kw::Handle) && handle <= 0) {
            return mcierr::kNoWindow;
        }
        if (const std::uint32_t rc = device.SetWindowHandle(static_cast<std::uint64_t>(handle));
            rc != mcierr::kNone) {
            return rc;
        }
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
    // Only a wave device records.
    if (context.args.Has(Kw::Input) && context.device->Type() != DeviceType::WaveAudio) {
        return mcierr::kUnsupportedFunction;
    }
    // Either way the device stands paused, ready to go.
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

std::uint32_t Sound(CommandContext& context) {
    std::unique_ptr<MediaDevice>& playing = context.devices.SoundSlot(context.deviceName.text);
    return PlaySystemSound(context.deviceName.text, context.args.Has(Kw::Wait), context.audioSinks,
                           playing);
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
