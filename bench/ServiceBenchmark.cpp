#include <benchmark/benchmark.h>

#include <string>

#include "mciservice/CommandParser.h"
#include "mciservice/CommandTable.h"
#include "mciservice/MciService.h"
#include "tests/support/media/TestClips.h"

namespace {

using kelto::mciservice::Arguments;
using kelto::mciservice::CommandLine;
using kelto::mciservice::FindCommand;
using kelto::mciservice::MciService;

void ParseOnly(benchmark::State& state, const std::string& command) {
    CommandLine line;
    Arguments args;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        std::uint32_t rc = kelto::mciservice::SplitCommand(command, line);
        const auto* entry = FindCommand(line.verb);
        rc |=
            kelto::mciservice::ParseArguments(entry->keywords, entry->itemList, line.Words(), args);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(args);
    }
}

void BM_ParseStatusPosition(benchmark::State& state) { ParseOnly(state, "status movie position"); }
BENCHMARK(BM_ParseStatusPosition);

// The longest command the player sends on every file, padded as it sends it.
void BM_ParsePaddedOpen(benchmark::State& state) {
    std::string open =
        "open /home/user/Music/clip.mp3 type MPEGVideo Alias movie parent 12345678 Style "
        "1073741824";
    open.resize(255, ' ');
    ParseOnly(state, open);
}
BENCHMARK(BM_ParsePaddedOpen);

void RoundTrip(benchmark::State& state, bool playing) {
    MciService service;
    std::string reply;
    const auto clip = kelto::testing::MakeClip(kelto::testing::ClipKind::Mpeg1,
                                               kelto::testing::DefaultClipDir(), 20000);
    if (service.SendString("open " + clip.string() + " type MPEGVideo alias movie", reply) != 0 ||
        service.SendString("set movie time format frames", reply) != 0 ||
        (playing && service.SendString("play movie", reply) != 0)) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        benchmark::DoNotOptimize(service.SendString("status movie position", reply));
    }
    service.SendString("close all", reply);
}

void BM_StatusPositionStopped(benchmark::State& state) { RoundTrip(state, false); }
BENCHMARK(BM_StatusPositionStopped);

void BM_StatusPositionPlaying(benchmark::State& state) { RoundTrip(state, true); }
BENCHMARK(BM_StatusPositionPlaying)->MinTime(2.0);

}  // namespace
