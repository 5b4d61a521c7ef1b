#include "playlist/PlaylistFiles.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <csignal>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "playlist/PlaylistLists.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::playlist {
namespace {

using kelto::testing::FileSizeLimit;
using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;
using Lines = std::vector<std::string>;
using Pair = std::pair<QString, QString>;

std::vector<Pair> LoadedPairs(const PlaylistFiles& files) {
    const PlaylistTexts texts = LoadTexts(files);
    EXPECT_EQ(texts.titles.size(), texts.paths.size());
    std::vector<Pair> pairs;
    for (qsizetype i = 0; i < texts.titles.size() && i < texts.paths.size(); ++i) {
        pairs.emplace_back(texts.titles[i], texts.paths[i]);
    }
    return pairs;
}

std::set<std::string> VisibleNames(const TempFolder& folder) {
    std::set<std::string> names;
    for (const std::string& name : folder.Names()) {
        if (name.front() != '.') names.insert(name);
    }
    return names;
}

TEST(PlaylistFilesTest, SavedPlaylistReadsBackAsTheSameEntries) {
    TempFolder folder;
    const PlaylistFiles files(folder.path());
    ASSERT_TRUE(files.Save({
        {"a, b.mp3", " x ", "", "\"q.wav", "Ö.mid"},
        {"/m/Smith, J/a, b.mp3", "/m/ x ", "", "/m/\"q.wav", "/m/Ö.mid"},
    }));
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "a, b.mp3\r\n x \r\n\r\n\"q.wav\r\n\xC3\x96.mid\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
    const PlaylistTexts loaded = LoadTexts(files);
    EXPECT_EQ(loaded.titles, (QStringList{"a, b.mp3", " x ", "", "\"q.wav", "Ö.mid"}));
    EXPECT_EQ(loaded.paths,
              (QStringList{"/m/Smith, J/a, b.mp3", "/m/ x ", "", "/m/\"q.wav", "/m/Ö.mid"}));
}

TEST(PlaylistFilesTest, FilesOfUnequalLengthTitleEveryPathByItsFileName) {
    const struct {
        const char* name;
        const char* titles;  // null: no file
        const char* paths;
        std::vector<Pair> want;
    } cases[] = {
        {"no files", nullptr, nullptr, {}},
        {"equal length keeps hand-edited titles",
         "Intro\r\nMine\r\n",
         "/m/a.mp3\r\n/m/b.wav\r\n",
         {{"Intro", "/m/a.mp3"}, {"Mine", "/m/b.wav"}}},
        {"an entry removed from the titles only",
         "b.wav\r\nc.mid\r\n",
         "/m/a.mp3\r\n/m/b.wav\r\n/m/c.mid\r\n",
         {{"a.mp3", "/m/a.mp3"}, {"b.wav", "/m/b.wav"}, {"c.mid", "/m/c.mid"}}},
        {"titles without paths", "a.mp3\r\nb.wav\r\n", "/m/b.wav\r\n", {{"b.wav", "/m/b.wav"}}},
        {"paths only",
         nullptr,
         "/m/Smith, J/one.mp3\r\n/m/\r\n",
         {{"one.mp3", "/m/Smith, J/one.mp3"}, {"/m/", "/m/"}}},
        {"titles only", "a.mp3\r\n", nullptr, {}},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.titles != nullptr) WriteBytes(folder / "pl1.txt", c.titles);
        if (c.paths != nullptr) WriteBytes(folder / "pl2.txt", c.paths);
        EXPECT_EQ(LoadedPairs(PlaylistFiles(folder.path())), c.want) << c.name;
    }
}

// A full disk fails the write of whichever file no longer fits: usually the
// paths, which are longer, but titles edited by hand can be the longer file.
TEST(PlaylistFilesTest, AFullDiskForEitherFileKeepsBothOldFiles) {
    const std::string longText(3000, 'x');
    const struct {
        const char* name;
        PlaylistEntries entries;
    } cases[] = {
        {"paths do not fit", {{"a.mp3", "b.mp3"}, {"/m/a.mp3", "/m/" + longText + "/b.mp3"}}},
        {"titles do not fit", {{"a.mp3", longText}, {"/m/a.mp3", "/m/b.mp3"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        WriteBytes(folder / "pl1.txt", "old.mp3\r\n");
        WriteBytes(folder / "pl2.txt", "/m/old.mp3\r\n");
        std::string error;
        bool saved = true;
        {
            FileSizeLimit limit(1000);
            saved = PlaylistFiles(folder.path()).Save(c.entries, &error);
        }
        EXPECT_FALSE(saved);
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
        EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "old.mp3\r\n");
        EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/old.mp3\r\n");
        EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
    }
}

// A folder in a file's place cannot be replaced by a file: the rename fails,
// after both new files were written in full.
TEST(PlaylistFilesTest, EitherFileThatCannotBeReplacedKeepsBothOldFiles) {
    for (const char* blocked : {"pl1.txt", "pl2.txt"}) {
        SCOPED_TRACE(blocked);
        TempFolder folder;
        WriteBytes(folder / "pl1.txt", "old.mp3\r\n");
        WriteBytes(folder / "pl2.txt", "/m/old.mp3\r\n");
        std::filesystem::remove(folder / blocked);
        std::filesystem::create_directory(folder / blocked);
        WriteBytes(folder / blocked / "inside", "kept");

        std::string error;
        EXPECT_FALSE(PlaylistFiles(folder.path()).Save({{"new.mp3"}, {"/m/new.mp3"}}, &error));
        EXPECT_NE(error.find(blocked), std::string::npos) << error;
        EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
        EXPECT_EQ(ReadBytes(folder / blocked / "inside"), "kept");
        for (const char* file : {"pl1.txt", "pl2.txt"}) {
            if (std::string(file) == blocked) continue;
            EXPECT_EQ(ReadBytes(folder / file),
                      file == std::string("pl1.txt") ? "old.mp3\r\n" : "/m/old.mp3\r\n");
        }
    }
}

// The worst case for a line-by-line pairing: as many entries as before, every
// one different, and titles that are not file names. The process dies at each
// point where one file has changed and the other has not yet.
TEST(PlaylistFilesTest, AKillWhileTheFilesChangePlacesLeavesEveryTitleWithItsOwnPath) {
    const std::vector<Pair> oldPairs{{"Intro", "/m/a.mp3"}, {"Theme", "/m/b.mp3"}};
    const std::vector<Pair> oldByFileName{{"a.mp3", "/m/a.mp3"}, {"b.mp3", "/m/b.mp3"}};
    const PlaylistEntries next{{"First", "Second"}, {"/m/c.mp3", "/m/d.mp3"}};
    const std::vector<Pair> nextPairs{{"First", "/m/c.mp3"}, {"Second", "/m/d.mp3"}};
    const std::vector<Pair> nextByFileName{{"c.mp3", "/m/c.mp3"}, {"d.mp3", "/m/d.mp3"}};

    for (const int killAt : {0, 1}) {
        SCOPED_TRACE(killAt);
        TempFolder folder;
        WriteBytes(folder / "pl1.txt", "Intro\r\nTheme\r\n");
        WriteBytes(folder / "pl2.txt", "/m/a.mp3\r\n/m/b.mp3\r\n");
        int step = 0;
        const PlaylistFiles dying(folder.path(), [&](const std::filesystem::path&) {
            if (step++ == killAt) std::raise(SIGKILL);
        });
        EXPECT_EXIT(dying.Save(next), ::testing::KilledBySignal(SIGKILL), "");

        const PlaylistFiles files(folder.path());
        const std::vector<Pair> loaded = LoadedPairs(files);
        EXPECT_TRUE(loaded == oldPairs || loaded == oldByFileName || loaded == nextByFileName ||
                    loaded == nextPairs)
            << "titles and paths out of step";

        // The next save starts from whatever the killed one left.
        ASSERT_TRUE(files.Save(next));
        EXPECT_EQ(LoadedPairs(files), nextPairs);
        EXPECT_EQ(VisibleNames(folder), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
    }
}

}  // namespace
}  // namespace kelto::playlist
