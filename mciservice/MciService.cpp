#include "mciservice/MciService.h"

#include <gst/gst.h>

#include <string>
#include <vector>

#include "mciservice/AudioSinkProbe.h"
#include "mciservice/CommandHandlers.h"
#include "mciservice/CommandTable.h"
#include "mciservice/DeviceRules.h"
#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/PlaybackTrace.h"
#include "mciservice/TagCollector.h"
#include "platform/MciErrorTexts.h"

namespace kelto::mciservice {

namespace {

// A bare keyword of the command's own where a file name belongs means the name
// was left out ("open type ..." with an empty path), not a file called "type".
// "wait" and "notify" there are names, of devices not installed.
bool NamesAKeyword(const CommandSpec& entry, const Token& name) {
    if (name.quoted) {
        return false;
    }
    for (const KeywordSpec& keyword : entry.keywords) {
        if (EqualsNoCase(keyword.words.substr(0, keyword.words.find(' ')), name.text)) {
            return true;
        }
    }
    return false;
}

// Parses the command's words for a device of `types`: 273 when a command
// that needs one keyword got none.
std::uint32_t ParseFor(const CommandSpec& entry, const CommandLine& line, DeviceTypes types,
                       Arguments& args) {
    if (const std::uint32_t rc =
            ParseArguments(entry.keywords, entry.itemList, line.Words(), args, types);
        rc != mcierr::kNone) {
        return rc;
    }
    if (entry.needsParameter) {
        bool any = false;
        for (const KeywordSpec& keyword : entry.keywords) {
            any = any || args.Has(keyword.id);
        }
        if (!any) {
            return mcierr::kMissingParameter;
        }
    }
    return mcierr::kNone;
}

// Every flag of an "all" command must be one that every type knows: there is
// no one device's command table to look in.
std::uint32_t CheckFlagsOfEveryType(const CommandSpec& entry, const Arguments& args) {
    for (const KeywordSpec& keyword : entry.keywords) {
        if (args.Has(keyword.id) && keyword.types != kEveryType) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    return mcierr::kNone;
}

}  // namespace

MciService::MciService(ServiceOptions options)
    : options_(std::move(options)), devices_(std::make_unique<DeviceTable>()) {
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
    }
    if (!options_.pipelineOpener) {
        audioSinks_ = std::make_unique<AudioSinkProbe>();
    }
}

MciService::~MciService() { devices_->Clear(); }

std::size_t MciService::OpenDeviceCount() const { return devices_->Size(); }

MediaDevice* MciService::FindDevice(std::string_view alias) const { return devices_->Find(alias); }
std::uint64_t MciService::TagsVersion(std::string_view alias) const {
    const MediaDevice* device = devices_->Find(alias);
    return device != nullptr && device->Tags() != nullptr ? device->Tags()->Version() : 0;
}

platform::TrackTags MciService::Tags(std::string_view alias) const {
    const MediaDevice* device = devices_->Find(alias);
    return device != nullptr && device->Tags() != nullptr ? device->Tags()->Tags()
                                                          : platform::TrackTags{};
}

std::string MciService::StreamFailure(std::string_view alias) const {
    const MediaDevice* device = devices_->Find(alias);
    return device != nullptr ? device->StreamFailure() : std::string();
}

std::string_view NotifyWord(NotifyStatus status) {
    switch (status) {
        case NotifyStatus::Superseded:
            return "superseded";
        case NotifyStatus::Aborted:
            return "aborted";
        case NotifyStatus::Failure:
            return "failure";
        case NotifyStatus::Successful:
            break;
    }
    return "successful";
}

void MciService::Poll() {
    rules_.Poll(*devices_);
    devices_->CloseStopped();
}

std::uint32_t MciService::RunNotifying(const CommandSpec& entry, const CommandLine& line,
                                       CommandContext& context, std::string_view alias) {
    MediaDevice& device = *context.device;
    device.Poll();
    // Each type has its own commands: another type's is unknown here.
    if ((entry.types & Bit(device.Type())) == 0) {
        return mcierr::kUnrecognizedCommand;
    }
    if (const std::uint32_t rc = ParseFor(entry, line, Bit(device.Type()), context.args);
        rc != mcierr::kNone) {
        return rc;
    }
    const bool notify = context.args.Has(Kw::Notify);
    rules_.BeforeCommand(entry, notify, device, alias);
    if (const std::uint32_t rc = DeviceRules::Admit(entry, context.args, device);
        rc != mcierr::kNone) {
        return rc;
    }
    const std::uint32_t rc = entry.handler(context);
    // A close has taken the device away.
    rules_.AfterCommand(entry, notify, rc, entry.toldAtEnd ? &device : nullptr, alias);
    return rc;
}

std::string MciService::ErrorText(std::uint32_t code) {
    return std::string(platform::MciErrorText(code));
}

std::uint32_t MciService::SendString(std::string_view command, std::string& reply) {
    reply.clear();
    const std::uint32_t rc = Dispatch(command, reply);
    if (rc != mcierr::kNone) {
        reply.clear();
    }
    TraceResult(command, rc);
    return rc;
}

std::uint32_t MciService::Dispatch(std::string_view command, std::string& reply) {
    // Plays that ended are told, and devices opened for them closed.
    Poll();
    CommandLine line;
    if (const std::uint32_t rc = SplitCommand(command, line); rc != mcierr::kNone) {
        return rc;
    }
    TraceCommand(line.verb);
    const CommandSpec* entry = FindCommand(line.verb);
    if (entry == nullptr) {
        return mcierr::kUnrecognizedCommand;
    }
    const bool all = !line.device.quoted && EqualsNoCase(line.device.text, "all");
    // With "all" there is no one device's command table: a command of some
    // types' own tables ("cue", "where") is unknown there.
    if (all && entry->types != kEveryType) {
        return mcierr::kUnrecognizedCommand;
    }
    if (all && !entry->acceptsAll) {
        return mcierr::kCannotUseAll;
    }
    if (entry->opensDevice && NamesAKeyword(*entry, line.device)) {
        return mcierr::kMissingDeviceName;
    }
    if (all && entry->eachDevice) {
        return DispatchToAll(*entry, line, reply);
    }
    CommandContext context{
        *devices_, options_, audioSinks_.get(), shortPaths_, line.device, {}, nullptr, all, reply};
    if (entry->opensDevice || entry->namesType || all) {
        if (const std::uint32_t rc = ParseFor(*entry, line, kEveryType, context.args);
            rc != mcierr::kNone) {
            return rc;
        }
        const bool notify = context.args.Has(Kw::Notify);
        // "close all" acts on each open device as if it had named it.
        const std::vector<std::string> each =
            all ? rules_.BeforeAll(*entry, notify, *devices_) : std::vector<std::string>{};
        // A sound ends the one before, which may be waiting to be told.
        if (entry->toldAtEnd && devices_->Sound() != nullptr) {
            rules_.BeforeCommand(*entry, notify, *devices_->Sound(), devices_->SoundName());
        }
        const std::uint32_t rc = entry->handler(context);
        if (all) {
            rules_.AfterAll(notify, rc, each);
        } else {
            rules_.AfterCommand(*entry, notify, rc, entry->toldAtEnd ? devices_->Sound() : nullptr,
                                entry->opensDevice ? context.opened : line.device.text);
        }
        return rc;
    }
    const std::string_view name = line.device.text;
    context.device = devices_->Find(name);
    bool opened = false;
    if (context.device == nullptr) {
        if (const std::uint32_t rc = AutoOpen(*entry, line, context); rc != mcierr::kNone) {
            return rc;
        }
        opened = true;
    }
    const std::uint32_t rc = RunNotifying(*entry, line, context, name);
    if (opened) {
        // Closed when the command is done, or when the play it started ends.
        if (rc != mcierr::kNone || context.device->IsStopped()) {
            devices_->Remove(name);
        } else {
            devices_->CloseWhenStopped(name);
        }
    }
    return rc;
}

std::uint32_t MciService::AutoOpen(const CommandSpec& entry, const CommandLine& line,
                                   CommandContext& context) {
    // A device's own name ("capability waveaudio ...") opens that device with
    // no file; a media file's name opens the file. Any other name stays an
    // unknown alias, so "status movie length" is unchanged.
    const std::string_view name = line.device.text;
    const std::optional<DeviceType> named = line.device.quoted ? std::nullopt : TypeNamed(name);
    const std::string path(shortPaths_.LongForm(name));
    const std::optional<DeviceType> type = !entry.autoOpens ? std::nullopt
                                           : named          ? named
                                                   : TypeForFile(path, !options_.pipelineOpener);
    if (!type) {
        return mcierr::kInvalidDeviceName;
    }
    if ((entry.types & Bit(*type)) == 0) {
        return mcierr::kUnrecognizedCommand;
    }
    if (const std::uint32_t rc = ParseFor(entry, line, Bit(*type), context.args);
        rc != mcierr::kNone) {
        return rc;
    }
    // The device is gone before its notification could come.
    if (context.args.Has(Kw::Notify)) {
        return mcierr::kNotifyOnAutoOpen;
    }
    std::string number;
    CommandContext openContext{*devices_,   options_,    audioSinks_.get(),
                               shortPaths_, line.device, {},
                               nullptr,     false,       number};
    const std::uint32_t rc = named ? handlers::OpenDeviceAlone(openContext, *type, name)
                                   : handlers::OpenFile(openContext, path, *type, 0, name);
    if (rc != mcierr::kNone) {
        return rc;
    }
    context.device = devices_->Find(name);
    return mcierr::kNone;
}

std::uint32_t MciService::DispatchToAll(const CommandSpec& entry, const CommandLine& line,
                                        std::string& reply) {
    // A word that no type knows is refused before any device acts.
    Arguments args;
    if (const std::uint32_t rc = ParseFor(entry, line, kEveryType, args); rc != mcierr::kNone) {
        return rc;
    }
    if (const std::uint32_t rc = CheckFlagsOfEveryType(entry, args); rc != mcierr::kNone) {
        return rc;
    }
    bool refused = false;
    for (const DeviceTable::Open& open : devices_->List()) {
        CommandContext context{*devices_,   options_,    audioSinks_.get(),
                               shortPaths_, line.device, {},
                               open.device, false,       reply};
        // Every device gets the command; a refusal by any is told as one of
        // several, for "all" cannot say whose it was.
        refused = RunNotifying(entry, line, context, open.alias) != mcierr::kNone || refused;
    }
    reply.clear();
    return refused ? mcierr::kMultiple : mcierr::kNone;
}

}  // namespace kelto::mciservice
