#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "mciservice/MciService.h"

namespace kelto::hardening {

// How long any command may take to answer, whatever the file behind it: the
// service's own limits, against hangs, never speed targets. An open gives up
// on a preroll after 10 s and then takes the pipeline down, which waits at
// most 3 s; any other command waits on the file at most for such a teardown.
inline constexpr std::chrono::milliseconds kOpenBound{13500};
inline constexpr std::chrono::milliseconds kCommandBound{3500};

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
