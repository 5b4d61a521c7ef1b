#include "mciservice/MciService.h"

#include <gst/gst.h>

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

// A bare keyword where a file name belongs means the name was left out ("open
// type ..." with an empty path), not a file called "type".
bool NamesAKeyword(const CommandSpec& entry, const Token& name) {
    if (name.quoted) {
        return false;
    }
    if (EqualsNoCase(name.text, "wait") || EqualsNoCase(name.text, "notify")) {
        return true;
    }
    for (const KeywordSpec& keyword : entry.keywords) {
        if (EqualsNoCase(keyword.words.substr(0, keyword.words.find(' ')), name.text)) {
            return true;
        }
    }
    return false;
}

// "notify" among the command's words.
bool AsksNotify(const CommandLine& line) {
    for (const Token& word : line.Words()) {
        if (!word.quoted && EqualsNoCase(word.text, "notify")) {
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

// Runs the command on the context's device, which must know it.
std::uint32_t RunOn(const CommandSpec& entry, const CommandLine& line, CommandContext& context) {
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
    if (const std::uint32_t rc = DeviceRules::Admit(entry, device); rc != mcierr::kNone) {
        return rc;
    }
    return entry.handler(context);
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
    const bool notify = AsksNotify(line);
    rules_.BeforeCommand(entry, notify, *context.device, alias);
    const std::uint32_t rc = RunOn(entry, line, context);
    rules_.AfterCommand(entry, notify, rc, context.device, alias);
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
        if (all) {
            rules_.BeforeAll(*entry, AsksNotify(line), *devices_);
        }
        const std::uint32_t rc = entry->handler(context);
        if (!entry->opensDevice) {
            rules_.AfterCommand(*entry, AsksNotify(line), rc, nullptr, line.device.text);
        }
        return rc;
    }
    const std::string_view name = line.device.text;
    context.device = devices_->Find(name);
    bool opened = false;
    if (context.device == nullptr) {
        // A media file named where an alias belongs is opened for this command.
        // A name without a media extension stays an unknown alias.
        const std::optional<DeviceType> type =
            entry->autoOpens
                ? TypeForFile(std::string(shortPaths_.LongForm(name)), !options_.pipelineOpener)
                : std::nullopt;
        if (!type) {
            return mcierr::kInvalidDeviceName;
        }
        std::string number;
        CommandContext openContext{*devices_,   options_,    audioSinks_.get(),
                                   shortPaths_, line.device, {},
                                   nullptr,     false,       number};
        if (const std::uint32_t rc = handlers::OpenFile(openContext, std::nullopt, 0, name);
            rc != mcierr::kNone) {
            return rc;
        }
        context.device = devices_->Find(name);
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

std::uint32_t MciService::DispatchToAll(const CommandSpec& entry, const CommandLine& line,
                                        std::string& reply) {
    // A word that no type knows is refused before any device acts.
    Arguments args;
    if (const std::uint32_t rc = ParseFor(entry, line, kEveryType, args); rc != mcierr::kNone) {
        return rc;
    }
    std::uint32_t first = mcierr::kNone;
    for (const DeviceTable::Open& open : devices_->List()) {
        if ((entry.types & Bit(open.device->Type())) == 0) {
            continue;
        }
        CommandContext context{*devices_,   options_,    audioSinks_.get(),
                               shortPaths_, line.device, {},
                               open.device, false,       reply};
        // Every device gets the command; the first refusal is the answer.
        const std::uint32_t rc = RunNotifying(entry, line, context, open.alias);
        first = first == mcierr::kNone ? rc : first;
    }
    reply.clear();
    return first;
}

}  // namespace kelto::mciservice
