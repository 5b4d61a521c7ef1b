#include "playlist/PlaylistFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/playlist/TempFolder.h"

namespace kelto::playlist {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;
using Lines = std::vector<std::string>;

struct PairCase {
    const char* name;
    Lines titles;
    Lines paths;
    Lines wantTitles;
    Lines wantPaths;
};

TEST(PairEntriesTest, UnequalListsKeepThePairsAndNeverDifferInLength) {
    const PairCase cases[] = {
        {"equal", {"a", "b"}, {"/x/a", "/x/b"}, {"a", "b"}, {"/x/a", "/x/b"}},
        {"both empty", {}, {}, {}, {}},
        {"title without path is dropped", {"a", "b", "c"}, {"/x/a"}, {"a"}, {"/x/a"}},
        {"titles only", {"a"}, {}, {}, {}},
        {"path without title gets its file name",
         {"mine"},
         {"/x/a.mp3", "/music/Smith, J/b c.wav", "rel/d.mid"},
         {"mine", "b c.wav", "d.mid"},
         {"/x/a.mp3", "/music/Smith, J/b c.wav", "rel/d.mid"}},
        {"paths only", {}, {"/x/a.avi"}, {"a.avi"}, {"/x/a.avi"}},
        {"no file name part keeps the path", {}, {"/x/", ""}, {"/x/", ""}, {"/x/", ""}},
    };
    for (const PairCase& c : cases) {
        const PlaylistEntries entries = PairEntries(c.titles, c.paths);
        EXPECT_EQ(entries.titles, c.wantTitles) << c.name;
        EXPECT_EQ(entries.paths, c.wantPaths) << c.name;
    }
}

TEST(PlaylistFilesTest, MissingFilesGiveAnEmptyPlaylist) {
    TempFolder folder;
    const PlaylistEntries none = PlaylistFiles(folder.path()).Load();
    EXPECT_TRUE(none.titles.empty());
    EXPECT_TRUE(none.paths.empty());

    // Only the paths file there: each path comes back with its file name.
    WriteBytes(folder / "pl2.txt", "/m/one.mp3\r\n/m/two.wav\r\n");
    const PlaylistEntries pathsOnly = PlaylistFiles(folder.path()).Load();
    EXPECT_EQ(pathsOnly.titles, (Lines{"one.mp3", "two.wav"}));
    EXPECT_EQ(pathsOnly.paths, (Lines{"/m/one.mp3", "/m/two.wav"}));
}

TEST(PlaylistFilesTest, SavedPlaylistReadsBackAsTheSameEntries) {
    TempFolder folder;
    const PlaylistFiles files(folder.path());
    const PlaylistEntries saved{
        {"a, b.mp3", " x ", "", "\"q.wav", "Ö.mid"},
        {"/m/Smith, J/a, b.mp3", "/m/ x ", "", "/m/\"q.wav", "/m/Ö.mid"},
    };
    ASSERT_TRUE(files.Save(saved));
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "a, b.mp3\r\n x \r\n\r\n\"q.wav\r\n\xC3\x96.mid\r\n");
    const PlaylistEntries loaded = files.Load();
    EXPECT_EQ(loaded.titles, saved.titles);
    EXPECT_EQ(loaded.paths, saved.paths);
}

TEST(PlaylistFilesTest, OneFileFailingStillWritesTheOther) {
    TempFolder folder;
    WriteBytes(folder / "pl2.txt", "old\r\n");
    std::filesystem::create_directory(folder / "pl1.txt");
    std::string error;
    EXPECT_FALSE(PlaylistFiles(folder.path()).Save({{"t"}, {"/p/t"}}, &error));
    EXPECT_NE(error.find("pl1.txt"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/p/t\r\n");
}

}  // namespace
}  // namespace kelto::playlist
