#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "mciservice/MciService.h"
#include "tests/support/media/TestClips.h"

namespace kelto::mciservice::testsupport {

struct Answer {
    std::uint32_t code = 0;
    std::string reply;
};

Answer Send(MciService& service, std::string_view command);

// The reply of a command that must succeed, as a number.
std::int64_t Number(MciService& service, std::string_view command);

// A clip of that kind in the shared clip folder.
std::filesystem::path Clip(testing::ClipKind kind, int durationMs = 1000);

// A fresh folder for this test's own files, removed by the caller when done.
std::filesystem::path ScratchDir();

// A ceiling for waits on playback: far beyond what an idle machine needs, so
// that only a real fault, never a busy machine, runs into it.
inline constexpr std::chrono::seconds kPatience{30};

// Polls `done` until it holds or `timeout` passes; whether it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = kPatience);

// Polls "status <alias> mode" until it reads `mode` or `timeout` passes.
bool WaitForMode(MciService& service, const std::string& alias, const std::string& mode,
                 std::chrono::milliseconds timeout = kPatience);

}  // namespace kelto::mciservice::testsupport
