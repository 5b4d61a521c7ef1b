// Soak: a long run of random operations through the real service over clips of
// every format, the way a restless user would drive the player. Checks that no
// command is slower than its bound, that every answer is the expected kind
// (a number where a number is due) and that nothing crashes; tools/soak.sh
// runs it under the address and undefined-behaviour sanitizers.
//
// Usage: mci_soak [--ops N] [--seed S]

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/hardening/HardeningSupport.h"
#include "tests/support/media/TestClips.h"

namespace {

using kelto::hardening::BoundFor;
using kelto::hardening::Padded;
using kelto::hardening::ParseReply;
using kelto::hardening::PlayerOpenCommand;
using kelto::hardening::SendTimed;
using kelto::hardening::TimedAnswer;
using kelto::testing::ClipKind;
using std::chrono::milliseconds;

struct Clip {
    std::string path;
    bool video;
};

struct VerbStats {
    int count = 0;
    std::chrono::steady_clock::duration slowest{};
    std::string slowestCommand;
};

class Soak {
public:
    Soak(std::vector<Clip> clips, std::uint32_t seed) : clips_(std::move(clips)), random_(seed) {}

    void RunOne();
    int Failures() const { return failures_; }
    void PrintStats() const;

private:
    enum class Reply { None, Number, Mode, TimeFormat, Rectangle, DeviceNumber };

    // Sends `command`, checks its bound, that its code is one of `codes` and
    // that a successful reply has the `expected` form. Returns the answer.
    TimedAnswer Send(const std::string& command, std::initializer_list<std::uint32_t> codes,
                     Reply expected = Reply::None);
    void Fail(const std::string& command, const std::string& what);
    int Pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
    std::int64_t Length();
    std::uint32_t Ok() const { return open_ ? 0u : 263u; }
    std::uint32_t OkWithPicture() const { return !open_ ? 263u : video_ ? 0u : 346u; }

    std::vector<Clip> clips_;
    std::mt19937 random_;
    kelto::mciservice::MciService service_;
    bool open_ = false;
    bool video_ = false;
    bool extraOpen_ = false;
    int failures_ = 0;
    std::map<std::string, VerbStats> stats_;
};

TimedAnswer Soak::Send(const std::string& command, std::initializer_list<std::uint32_t> codes,
                       Reply expected) {
    TimedAnswer answer = SendTimed(service_, command);
    const std::string verb = command.substr(0, command.find(' '));
    std::string key;
    std::transform(verb.begin(), verb.end(), std::back_inserter(key),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    if (key == "status" || key == "set") {
        // "status movie mode", "set movie speed": the item says more than the verb.
        const std::size_t item = command.find(' ', command.find(' ') + 1);
        key += command.substr(item, command.find(' ', item + 1) - item);
    }
    VerbStats& stats = stats_[key];
    ++stats.count;
    if (answer.took > stats.slowest) {
        stats.slowest = answer.took;
        stats.slowestCommand = command.substr(0, command.find_last_not_of(' ') + 1);
    }
    if (answer.took > BoundFor(command)) {
        Fail(command,
             "took " +
                 std::to_string(std::chrono::duration_cast<milliseconds>(answer.took).count()) +
                 " ms");
    }
    if (std::find(codes.begin(), codes.end(), answer.code) == codes.end()) {
        Fail(command, "code " + std::to_string(answer.code));
        return answer;
    }
    if (answer.code != 0) {
        if (!answer.reply.empty()) {
            Fail(command, "error with reply \"" + answer.reply + "\"");
        }
        return answer;
    }
    bool wellFormed = true;
    const std::string& r = answer.reply;
    switch (expected) {
        case Reply::None:
            wellFormed = r.empty();
            break;
        case Reply::Number:
            wellFormed = ParseReply(r) >= 0;
            break;
        case Reply::DeviceNumber:
            wellFormed = ParseReply(r) >= 1;
            break;
        case Reply::Mode:
            wellFormed = r == "playing" || r == "paused" || r == "stopped";
            break;
        case Reply::TimeFormat:
            wellFormed = r == "frames" || r == "milliseconds";
            break;
        case Reply::Rectangle: {
            int numbers = 0;
            std::size_t pos = 0;
            while (pos <= r.size()) {
                const std::size_t blank = std::min(r.find(' ', pos), r.size());
                wellFormed = wellFormed && ParseReply(r.substr(pos, blank - pos)) >= 0;
                ++numbers;
                pos = blank + 1;
            }
            wellFormed = wellFormed && numbers == 4;
            break;
        }
    }
    if (!wellFormed) {
        Fail(command, "reply \"" + r + "\"");
    }
    return answer;
}

void Soak::Fail(const std::string& command, const std::string& what) {
    if (++failures_ <= 20) {
        std::printf("FAIL: \"%s\": %s\n",
                    command.substr(0, command.find_last_not_of(' ') + 1).c_str(), what.c_str());
    }
}

std::int64_t Soak::Length() {
    const TimedAnswer answer = Send("status movie length", {Ok()}, Reply::Number);
    return answer.code == 0 ? ParseReply(answer.reply) : 0;
}

void Soak::RunOne() {
    const std::uint32_t ok = Ok();
    switch (Pick(24)) {
        case 0:
        case 1: {  // open the next entry, as the player does
            const Clip& clip =
                clips_[static_cast<std::size_t>(Pick(static_cast<int>(clips_.size())))];
            Send("Close All", {0});
            extraOpen_ = false;
            open_ = Send(PlayerOpenCommand(clip.path), {0}, Reply::DeviceNumber).code == 0;
            video_ = clip.video;
            if (open_ && Pick(2) == 0) {
                Send("set movie time format frames", {video_ ? 0u : 293u});
                Send(Padded("play movie from 0 to " + std::to_string(Length()), 128), {0});
            }
            break;
        }
        case 2: {  // a play over part of the file
            const std::int64_t length = Length();
            const std::int64_t from = length > 0 ? Pick(static_cast<int>(length)) : 0;
            const std::int64_t to =
                from + (length > from ? Pick(static_cast<int>(length - from)) : 0);
            Send(Padded("play movie from " + std::to_string(from) + " to " + std::to_string(to),
                        128),
                 {ok});
            break;
        }
        case 3:
            Send("Play movie", {ok});
            break;
        case 4:
            // A stopped device has nothing to pause or resume.
            Send("Pause movie", {ok, open_ ? 302u : ok});
            break;
        case 5:
            Send("Resume movie", {ok, open_ ? 302u : ok});
            break;
        case 6:
            Send("Stop movie", {ok});
            break;
        case 7: {
            const std::int64_t length = Length();
            const std::string target =
                Pick(4) == 0 ? "start"
                : Pick(4) == 0
                    ? "end"
                    : std::to_string(length > 0 ? Pick(static_cast<int>(length) + 1) : 0);
            Send("seek movie to " + target, {ok});
            if (Pick(2) == 0) {
                Send("Play movie", {ok});
            }
            break;
        }
        case 8: {
            constexpr std::array<int, 4> kSpeeds{400, 1000, 500, 2000};
            Send(Padded("set movie speed " +
                            std::to_string(kSpeeds[static_cast<std::size_t>(Pick(4))]),
                        128),
                 {ok});
            break;
        }
        case 9:
            Send("put movie window at 0 0 " + std::to_string(16 + Pick(1000)) + " " +
                     std::to_string(16 + Pick(800)),
                 {OkWithPicture()});
            break;
        case 10:
            Send("Where movie destination", {OkWithPicture()}, Reply::Rectangle);
            break;
        case 11:
        case 12: {  // the player's status tick: per cent played
            const std::int64_t length = Length();
            const TimedAnswer position = Send("status movie position", {ok}, Reply::Number);
            if (position.code == 0 && ParseReply(position.reply) > length) {
                Fail("status movie position", "beyond the length " + std::to_string(length));
            }
            break;
        }
        case 13:
            Send("status movie mode", {ok}, Reply::Mode);
            Send(Padded("status movie speed", 128), {ok}, Reply::Number);
            break;
        case 14:
            Send("status movie time format", {ok}, Reply::TimeFormat);
            break;
        case 15:
            if (Pick(2) == 0) {
                Send("set movie time format frames", {open_ ? (video_ ? 0u : 293u) : 263u});
            } else {
                Send("set movie time format ms", {ok});
            }
            break;
        case 16:
            Send("Close movie", {ok});
            open_ = false;
            break;
        case 17:
            Send("Close All", {0});
            open_ = false;
            extraOpen_ = false;
            break;
        case 18: {  // a second device beside the first
            const Clip& clip =
                clips_[static_cast<std::size_t>(Pick(static_cast<int>(clips_.size())))];
            if (extraOpen_) {
                Send("close extra", {0});
                extraOpen_ = false;
            } else {
                extraOpen_ = Send("open " + clip.path + " type MPEGVideo alias extra", {0},
                                  Reply::DeviceNumber)
                                 .code == 0;
                if (extraOpen_) {
                    Send("play extra", {0});
                }
            }
            break;
        }
        default:  // let playback run on for a while, as between timer ticks
            std::this_thread::sleep_for(milliseconds(50 + Pick(400)));
            break;
    }
}

void Soak::PrintStats() const {
    std::printf("%-24s %6s %9s  %s\n", "command", "count", "slowest", "slowest command");
    for (const auto& [key, stats] : stats_) {
        std::printf("%-24s %6d %7.1f ms  %s\n", key.c_str(), stats.count,
                    std::chrono::duration<double, std::milli>(stats.slowest).count(),
                    stats.slowestCommand.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    int ops = 2000;
    std::uint32_t seed = 20240611;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--ops") == 0) {
            ops = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        }
    }
    std::printf("mci_soak: %d operations, seed %u\n", ops, seed);
    std::fflush(stdout);

    std::vector<Clip> clips;
    const std::pair<ClipKind, bool> kinds[] = {
        {ClipKind::Mp3, false},  {ClipKind::Mp2, false},  {ClipKind::Wav, false},
        {ClipKind::Midi, false}, {ClipKind::Mpeg1, true}, {ClipKind::Avi, true},
        {ClipKind::Vob, true},
    };
    for (const auto& [kind, video] : kinds) {
        for (const int ms : {1000, 2000}) {
            clips.push_back(
                {kelto::testing::MakeClip(kind, kelto::testing::DefaultClipDir(), ms).string(),
                 video});
        }
    }

    const auto start = std::chrono::steady_clock::now();
    Soak soak(std::move(clips), seed);
    for (int i = 0; i < ops; ++i) {
        soak.RunOne();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    soak.PrintStats();
    std::printf("mci_soak: %d operations in %.1f s, seed %u, %d failures\n", ops, seconds, seed,
                soak.Failures());
    return soak.Failures() == 0 ? 0 : 1;
}
