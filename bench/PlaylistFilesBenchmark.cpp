// Loading and saving both playlist files at a size far past any real
// collection: what the window pays at start (the files read straight into the
// list boxes' text) and at close (that text back into the files).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistLists.h"

namespace {

namespace fs = std::filesystem;

kelto::playlist::PlaylistEntries MakeEntries(int count) {
    kelto::playlist::PlaylistEntries entries;
    entries.titles.reserve(static_cast<std::size_t>(count));
    entries.paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string title = "Track " + std::to_string(i) + " - Sample Song Title.mp3";
        entries.titles.push_back(title);
        entries.paths.push_back("/home/listener/Music/Artist " + std::to_string(i / 100) +
                                "/Album " + std::to_string(i / 10) + "/" + title);
    }
    return entries;
}

void BM_PlaylistLoadAndSave(benchmark::State& state) {
    const fs::path dir =
        fs::temp_directory_path() / ("kelto-playlist-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const kelto::playlist::PlaylistFiles files(dir);
    if (!files.Save(MakeEntries(static_cast<int>(state.range(0))))) {
        state.SkipWithError("cannot write the playlist files");
    }
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        const auto texts = kelto::playlist::LoadTexts(files);
        if (texts.paths.size() != state.range(0) ||
            !files.Save(kelto::playlist::EntriesOf(texts))) {
            state.SkipWithError("playlist did not come back whole");
            break;
        }
        benchmark::DoNotOptimize(texts);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_PlaylistLoadAndSave)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
