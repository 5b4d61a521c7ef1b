#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelto::fuzz {

// Sends each line of `script` (split on '\n'; at most kMaxCommands of them) to
// one fresh service whose opens reach made-up media (FakePipeline), so that
// aliases, playback state and "close all" carry from one command to the next.
// Checks every answer against what the command language promises and returns
// a description of the first broken promise, or the empty string.
std::string RunCommandScript(std::string_view script);

inline constexpr std::size_t kMaxCommands = 64;

}  // namespace kelto::fuzz
