#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistLists.h"

namespace {

namespace fs = std::filesystem;

class SeedPlaylistTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("kelto-seed-test-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "work");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path Work() const { return root_ / "work"; }

    // Runs the seeding script as the run command does; its exit status.
    int Seed(const fs::path& samples, const fs::path& target) const {
        QProcess script;
        script.setStandardOutputFile(QProcess::nullDevice());
        script.setStandardErrorFile(QProcess::nullDevice());
        script.start(QStringLiteral("sh"),
                     {QStringLiteral(KELTO_SEED_SCRIPT), QString::fromStdString(samples.string()),
                      QString::fromStdString(target.string())});
        if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return script.exitCode();
    }

    // A stand-in sample folder; the script only looks at names and sizes.
    fs::path FakeSamples(const std::string& name) const {
        fs::path dir = root_ / name;
        fs::create_directories(dir);
        for (const char* clip : {"b.mp3", "a.mid", "c.mpg", "empty.mp3", "notes.txt"}) {
            std::ofstream out(dir / clip);
            if (std::string(clip) != "empty.mp3") out << "clip";
        }
        return dir;
    }

    static std::string Bytes(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::set<std::string> NamesIn(const fs::path& dir) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    fs::path root_;
};

TEST_F(SeedPlaylistTest, EmptyFolderGetsThePlaylistOfTheBuiltSamples) {
    ASSERT_EQ(Seed(KELTO_SAMPLE_DIR, Work()), 0);

    const fs::path samples = fs::canonical(KELTO_SAMPLE_DIR);
    EXPECT_EQ(Bytes(Work() / "pl1.txt"),
              "kelto-test-pattern.mpg\r\nkelto-melody.mp3\r\nkelto-tune.mid\r\n");
    EXPECT_EQ(Bytes(Work() / "pl2.txt"), (samples / "kelto-test-pattern.mpg").string() + "\r\n" +
                                             (samples / "kelto-melody.mp3").string() + "\r\n" +
                                             (samples / "kelto-tune.mid").string() + "\r\n");
    // The player reads it back as three playable entries, and nothing else was left.
    const auto entries = kelto::playlist::LoadTexts(kelto::playlist::PlaylistFiles(Work()));
    ASSERT_EQ(entries.paths.size(), 3);
    for (const auto& path : entries.paths) {
        EXPECT_TRUE(fs::path(path.toStdString()).is_absolute()) << path.toStdString();
        EXPECT_TRUE(fs::is_regular_file(path.toStdString())) << path.toStdString();
    }
    EXPECT_EQ(NamesIn(Work()), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
}

TEST_F(SeedPlaylistTest, AnyExistingPlaylistFileIsLeftAloneAndNothingIsAdded) {
    const fs::path samples = FakeSamples("samples");
    struct Case {
        const char* name;
        const char* existing;
        const char* content;  // null: a link to nowhere
    };
    for (const Case c : {Case{"titles only", "pl1.txt", "mine\r\n"},
                         Case{"paths only", "pl2.txt", "/music/mine.mp3\r\n"},
                         Case{"a playlist the user emptied", "pl1.txt", ""},
                         Case{"dangling link", "pl1.txt", nullptr}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Work());
        fs::create_directories(Work());
        if (c.content != nullptr) {
            std::ofstream(Work() / c.existing) << c.content;
        } else {
            fs::create_symlink(root_ / "nowhere", Work() / c.existing);
        }
        EXPECT_EQ(Seed(samples, Work()), 0);
        EXPECT_EQ(NamesIn(Work()), std::set<std::string>{c.existing});
        if (c.content != nullptr) {
            EXPECT_EQ(Bytes(Work() / c.existing), c.content);
        }
    }
}

TEST_F(SeedPlaylistTest, PathWithBlanksAndCommaStaysOneEntryInOrderVideoThenSound) {
    const fs::path samples = FakeSamples("my clips, old & new");
    ASSERT_EQ(Seed(samples, Work()), 0);
    EXPECT_EQ(Bytes(Work() / "pl1.txt"), "c.mpg\r\nb.mp3\r\na.mid\r\n");
    const auto entries = kelto::playlist::LoadTexts(kelto::playlist::PlaylistFiles(Work()));
    ASSERT_EQ(entries.paths.size(), 3);
    EXPECT_EQ(entries.paths[0].toStdString(), (samples / "c.mpg").string());
    EXPECT_EQ(entries.titles[2], "a.mid");
}

TEST_F(SeedPlaylistTest, NothingToSeedOrNowhereToWriteStillLetsThePlayerStart) {
    const fs::path samples = FakeSamples("samples");
    fs::create_directories(root_ / "no-clips");
    EXPECT_EQ(Seed(root_ / "missing", Work()), 0);
    EXPECT_EQ(Seed(root_ / "no-clips", Work()), 0);
    EXPECT_TRUE(NamesIn(Work()).empty());
    EXPECT_EQ(Seed(samples, root_ / "no-such-folder"), 0);
    EXPECT_FALSE(fs::exists(root_ / "no-such-folder"));
}

}  // namespace
