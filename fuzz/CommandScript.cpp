#include "fuzz/CommandScript.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz/FakePipeline.h"
#include "mciservice/CommandParser.h"
#include "mciservice/CommandTable.h"
#include "mciservice/ErrorCodes.h"
#include "mciservice/MciService.h"

namespace kelto::fuzz {

namespace {

using mciservice::EqualsNoCase;

bool IsDecimal(std::string_view text, bool allowMinus) {
    if (allowMinus && !text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    return !text.empty() && text.size() <= 19 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           (text.size() == 1 || text.front() != '0');
}

std::int64_t ToNumber(std::string_view text) {
    std::int64_t value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Four decimal numbers separated by single blanks.
bool IsRectangle(std::string_view text) {
    for (int i = 0; i < 4; ++i) {
        const std::size_t blank = text.find(' ');
        if ((i < 3) != (blank != std::string_view::npos) ||
            !IsDecimal(text.substr(0, blank), true)) {
            return false;
        }
        text = i < 3 ? text.substr(blank + 1) : std::string_view{};
    }
    return true;
}

// Hours, minutes, seconds and frames, two digits each, but the hours place
// is a byte: up to 255.
bool IsSmpte(std::string_view text) {
    const std::size_t hours = text.size() - 9;
    if ((text.size() != 11 && text.size() != 12) || text[hours] != ':' || text[hours + 3] != ':' ||
        text[hours + 6] != ':' || !std::all_of(text.begin(), text.end(), [](char c) {
            return c == ':' || (c >= '0' && c <= '9');
        })) {
        return false;
    }
    return std::stoi(std::string(text.substr(0, hours))) <= 255 &&
           std::stoi(std::string(text.substr(hours + 1, 2))) < 60 &&
           std::stoi(std::string(text.substr(hours + 4, 2))) < 60;
}

bool WordIs(const mciservice::CommandLine& line, std::size_t index, std::string_view word) {
    return index < line.wordCount && EqualsNoCase(line.words[index].text, word);
}

// The status or where item asked for: the first word that is not a flag.
std::string_view ItemOf(const mciservice::CommandLine& line) {
    for (std::size_t i = 0; i < line.wordCount; ++i) {
        if (!EqualsNoCase(line.words[i].text, "wait") &&
            !EqualsNoCase(line.words[i].text, "notify")) {
            if (EqualsNoCase(line.words[i].text, "time") && WordIs(line, i + 1, "format")) {
                return "time format";
            }
            return line.words[i].text;
        }
    }
    return {};
}

class Checker {
public:
    Checker() : service_(Options()) {}

    std::string Run(std::string_view command) {
        std::string reply;
        const std::uint32_t rc = service_.SendString(command, reply);
        if (rc != mciservice::mcierr::kNone) {
            if (!reply.empty()) {
                return "error " + std::to_string(rc) + " came with a reply";
            }
            if (mciservice::MciService::ErrorText(rc).empty()) {
                return "code " + std::to_string(rc) + " has no text";
            }
            return {};
        }
        mciservice::CommandLine line;
        if (mciservice::SplitCommand(command, line) != mciservice::mcierr::kNone) {
            return "a command the parser refuses succeeded";
        }
        return CheckReply(line, reply);
    }

private:
    static mciservice::ServiceOptions Options() {
        mciservice::ServiceOptions options;
        options.pipelineOpener = OpenFakeMedia;
        return options;
    }

    std::string CheckReply(const mciservice::CommandLine& line, const std::string& reply) {
        const std::string_view verb = line.verb;
        if (EqualsNoCase(verb, "open")) {
            if (!IsDecimal(reply, false) || ToNumber(reply) < 1 ||
                static_cast<std::size_t>(ToNumber(reply)) > service_.OpenDeviceCount()) {
                return "open replied \"" + reply + "\"";
            }
            return {};
        }
        if (EqualsNoCase(verb, "close")) {
            if (!line.device.quoted && EqualsNoCase(line.device.text, "all") &&
                service_.OpenDeviceCount() != 0) {
                return "close all left devices open";
            }
            return reply.empty() ? std::string() : "close replied \"" + reply + "\"";
        }
        if (EqualsNoCase(verb, "where")) {
            return IsRectangle(reply) ? std::string() : "where replied \"" + reply + "\"";
        }
        if (EqualsNoCase(verb, "capability") || EqualsNoCase(verb, "info") ||
            EqualsNoCase(verb, "sysinfo")) {
            // Answers in words, numbers or names; an answer is never empty.
            return reply.empty() ? std::string(verb) + " gave no answer" : std::string();
        }
        if (!EqualsNoCase(verb, "status")) {
            return reply.empty() ? std::string() : std::string(verb) + " replied \"" + reply + "\"";
        }
        const std::string_view item = ItemOf(line);
        const std::vector<std::string_view> names = ItemNames(item);
        std::string fault = "status " + std::string(item) + " replied \"" + reply + "\"";
        // 0x4003 names a different item on each type; the made-up device's
        // type is not known here, so any of them may answer.
        for (const std::string_view name : names) {
            fault = CheckStatus(line, name, reply);
            if (fault.empty()) {
                break;
            }
        }
        return fault;
    }

    // An item given by its number stands for the items of that number.
    static std::vector<std::string_view> ItemNames(std::string_view item) {
        const std::optional<std::int64_t> number = mciservice::ParseInteger(item);
        if (!number) {
            return {item};
        }
        std::vector<std::string_view> names;
        for (const mciservice::KeywordSpec& entry : mciservice::FindCommand("status")->keywords) {
            if (entry.number != 0 && entry.number == *number) {
                names.push_back(entry.words);
            }
        }
        return names.empty() ? std::vector<std::string_view>{item} : names;
    }

    std::string CheckStatus(const mciservice::CommandLine& line, std::string_view item,
                            const std::string& reply) {
        constexpr std::array<std::string_view, 6> kModes{"not ready", "stopped", "playing",
                                                         "seeking",   "paused",  "recording"};
        bool ok = false;
        if (EqualsNoCase(item, "mode")) {
            ok = std::find(kModes.begin(), kModes.end(), reply) != kModes.end();
        } else if (EqualsNoCase(item, "time format")) {
            constexpr std::array<std::string_view, 9> kFormats{
                "milliseconds", "frames",   "bytes",    "samples",      "song pointer",
                "smpte 24",     "smpte 25", "smpte 30", "smpte 30 drop"};
            ok = std::find(kFormats.begin(), kFormats.end(), reply) != kFormats.end();
        } else if (EqualsNoCase(item, "format tag") || EqualsNoCase(item, "format") ||
                   EqualsNoCase(item, "port")) {
            ok = !reply.empty();
        } else if ((EqualsNoCase(item, "position") || EqualsNoCase(item, "length")) &&
                   IsSmpte(reply)) {
            return {};
        } else if (EqualsNoCase(item, "ready") || EqualsNoCase(item, "media present") ||
                   EqualsNoCase(item, "media") || EqualsNoCase(item, "window visible") ||
                   EqualsNoCase(item, "window minimized") ||
                   EqualsNoCase(item, "window maximized") ||
                   (EqualsNoCase(item, "window") && !WordIs(line, 1, "handle"))) {
            ok = reply == "true" || reply == "false";
        } else {
            ok = IsDecimal(reply, false);
        }
        if (!ok) {
            return "status " + std::string(item) + " replied \"" + reply + "\"";
        }
        if (EqualsNoCase(item, "position")) {
            return CheckWithinLength(line, ToNumber(reply));
        }
        return {};
    }

    // The position never lies beyond the length, in the same time format.
    std::string CheckWithinLength(const mciservice::CommandLine& line, std::int64_t position) {
        if (line.device.text.find('"') != std::string_view::npos) {
            return {};
        }
        std::string length;
        const std::string command = "status \"" + std::string(line.device.text) + "\" length";
        if (service_.SendString(command, length) != mciservice::mcierr::kNone ||
            !IsDecimal(length, false)) {
            return "no length after a position";
        }
        if (position > ToNumber(length)) {
            return "position " + std::to_string(position) + " beyond length " + length;
        }
        return {};
    }

    mciservice::MciService service_;
};

}  // namespace

std::string RunCommandScript(std::string_view script) {
    Checker checker;
    std::size_t count = 0;
    while (!script.empty() && count < kMaxCommands) {
        const std::size_t end = script.find('\n');
        const std::string_view command = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view{} : script.substr(end + 1);
        ++count;
        if (std::string fault = checker.Run(command); !fault.empty()) {
            return "command " + std::to_string(count) + " (" + std::string(command) + "): " + fault;
        }
    }
    return {};
}

}  // namespace kelto::fuzz
