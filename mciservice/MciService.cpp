#include "mciservice/MciService.h"

#include <gst/gst.h>

#include "mciservice/AudioSinkProbe.h"
#include "mciservice/CommandTable.h"
#include "mciservice/DeviceTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/PlaybackTrace.h"
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
    MediaDevice* device = nullptr;
    if (!entry->opensDevice && !entry->namesType && !all) {
        device = devices_->Find(line.device.text);
        if (device == nullptr) {
            return mcierr::kInvalidDeviceName;
        }
        device->Poll();
        // Each type has its own commands: another type's is unknown here.
        if ((entry->types & Bit(device->Type())) == 0) {
            return mcierr::kUnrecognizedCommand;
        }
    }
    Arguments args;
    if (const std::uint32_t rc =
            ParseArguments(entry->keywords, entry->itemList, line.Words(), args,
                           device != nullptr ? Bit(device->Type()) : kEveryType);
        rc != mcierr::kNone) {
        return rc;
    }
    if (entry->needsParameter) {
        bool any = false;
        for (const KeywordSpec& keyword : entry->keywords) {
            any = any || args.Has(keyword.id);
        }
        if (!any) {
            return mcierr::kMissingParameter;
        }
    }
    CommandContext context{*devices_, options_, audioSinks_.get(), line.device, args, device,
                           all,       reply};
    return entry->handler(context);
}

}  // namespace kelto::mciservice
