#include "tests/hardening/HardeningSupport.h"

#include <cctype>

#include "mciservice/CommandParser.h"

namespace kelto::hardening {

std::chrono::milliseconds BoundFor(std::string_view command) {
    mciservice::CommandLine line;
    mciservice::SplitCommand(command, line);
    return mciservice::EqualsNoCase(line.verb, "open") ? kOpenBound : kCommandBound;
}

TimedAnswer SendTimed(mciservice::MciService& service, std::string_view command) {
    TimedAnswer answer;
    const auto start = std::chrono::steady_clock::now();
    answer.code = service.SendString(command, answer.reply);
    answer.took = std::chrono::steady_clock::now() - start;
    return answer;
}

std::string Padded(std::string command, std::size_t length) {
    command.resize(length, ' ');
    return command;
}

std::string PlayerOpenCommand(const std::filesystem::path& path) {
    return Padded("open " + path.string() + " type MPEGVideo Alias movie parent 0 Style 1073741824",
                  255);
}

std::int64_t ParseReply(std::string_view reply) {
    if (reply.empty() || reply.size() > 18) {
        return -1;
    }
    std::int64_t value = 0;
    for (const char c : reply) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace kelto::hardening
