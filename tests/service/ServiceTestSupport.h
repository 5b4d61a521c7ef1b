#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/MciService.h"
#include "tests/support/media/TestClips.h"

namespace kelto::mciservice::testsupport {

struct Answer {
    std::uint32_t code = 0;
    std::string reply;
};

Answer Send(MciService& service, std::string_view command);

// One command of a script and the code and reply it must give.
struct Step {
    std::string command;
    std::uint32_t code;
    std::string reply;
};

// Sends each step's command and checks its answer. "{wav}", "{mid}", "{mpg}"
// and "{mp3}" in a command or reply stand for the path of a clip of that kind.
void RunScript(MciService& service, const std::vector<Step>& steps);

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
