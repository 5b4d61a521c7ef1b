// Loading and saving both playlist files at a size far past any real
// collection: what the window pays at start (the files read straight into the
// list boxes' text) and at close (that text back into the files).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "mci/ModuleMultimedia.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistLists.h"
#include "playlist/WindowLifecycle.h"
#include "tests/support/fakes/RecordingMciPlatform.h"
#include "ui/Form1.h"

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

QApplication& App() {
    static int argc = 1;
    static char name[] = "playlist_bench";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

// One line of 5 MB in either playlist file, among ordinary ones: what the
// window pays for it at each step a person takes. Each step must stay far
// below a tenth of a second. Arg 0: start-up (load and first drawing);
// 1: selecting every entry with the window redrawn after each; 2: close.
void BM_FiveMegabyteLine(benchmark::State& state) {
    App();
    const fs::path dir =
        fs::temp_directory_path() / ("kelto-longline-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string huge(5 << 20, 'x');
    auto writeFiles = [&] {
        std::ofstream(dir / "pl1.txt", std::ios::binary | std::ios::trunc)
            << "a.mp3\r\n"
            << huge << "\r\nc.mp3\r\nd.mp3\r\n";
        std::ofstream(dir / "pl2.txt", std::ios::binary | std::ios::trunc)
            << "/m/a.mp3\r\n/m/b.mp3\r\n/m/" << huge << "\r\n/m/d.mp3\r\n";
        std::error_code ec;
        fs::remove(dir / "pl1.txt.orig", ec);
        fs::remove(dir / "pl2.txt.orig", ec);
    };
    kelto::testing::RecordingMciPlatform platform;
    kelto::mci::ModuleMultimedia media(platform);
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        state.PauseTiming();
        writeFiles();
        auto form = std::make_unique<kelto::ui::Form1>();
        kelto::playlist::WindowLifecycle lifecycle(*form, media,
                                                   kelto::playlist::PlaylistFiles(dir));
        if (state.range(0) != 0) {
            lifecycle.Form_Load();
            form->show();
            benchmark::DoNotOptimize(form->grab().toImage());
        }
        state.ResumeTiming();
        switch (state.range(0)) {
            case 0:
                lifecycle.Form_Load();
                form->show();
                benchmark::DoNotOptimize(form->grab().toImage());
                break;
            case 1:
                for (int row = 0; row < form->List1->count(); ++row) {
                    form->List1->setCurrentRow(row);
                    benchmark::DoNotOptimize(form->grab().toImage());
                }
                break;
            default:
                lifecycle.Form_QueryUnload();
                lifecycle.Form_Unload();
                break;
        }
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    if (quiet != nullptr) std::fclose(quiet);
    fs::remove_all(dir);
}
BENCHMARK(BM_FiveMegabyteLine)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
