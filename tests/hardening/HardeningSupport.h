#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "mciservice/MciService.h"

namespace kelto::hardening {

// How long any command may take to answer, whatever the file behind it: an
// open prerolls the file (bounded by the service at 5 s), everything else
// must answer at once. These are limits against hangs, not speed targets.
inline constexpr std::chrono::milliseconds kOpenBound{5500};
inline constexpr std::chrono::milliseconds kCommandBound{1000};

struct TimedAnswer {
    std::uint32_t code = 0;
    std::string reply;
    std::chrono::steady_clock::duration took{};
};

// The bound for this command: kOpenBound for an open, kCommandBound otherwise.
std::chrono::milliseconds BoundFor(std::string_view command);

TimedAnswer SendTimed(mciservice::MciService& service, std::string_view command);

// The command as the player sends its fixed-length ones: blanks up to `length`.
std::string Padded(std::string command, std::size_t length);

// What the player sends to open a file: "Close All", then its open command
// (parent 0, so no window), under the alias "movie".
std::string PlayerOpenCommand(const std::filesystem::path& path);

// Plain decimal, as the service writes numbers; -1 when the text is not one.
std::int64_t ParseReply(std::string_view reply);

}  // namespace kelto::hardening
