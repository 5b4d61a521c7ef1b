#include "playlist/LineFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "tests/playlist/TempFolder.h"

namespace kelto::playlist {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;
using Lines = std::vector<std::string>;

TEST(LineFileTest, EntriesReadBackExactlyAsWritten) {
    TempFolder folder;
    const Lines lines = {
        "/music/Smith, John/track 1.mp3",
        "\"quoted\" start",
        "  leading and trailing blanks  ",
        "",
        "Ümlaut — ñ 日本語.mp3",
        "a,b,c",
        "",
    };
    ASSERT_TRUE(WriteLineFileAtomically(folder / "pl2.txt", lines));
    EXPECT_EQ(ReadLineFile(folder / "pl2.txt"), lines);
}

TEST(LineFileTest, OnDiskEveryEntryEndsWithCrLfAndNothingElse) {
    TempFolder folder;
    ASSERT_TRUE(WriteLineFileAtomically(folder / "f.txt", {"one", "", "Ä"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "one\r\n\r\n\xC3\x84\r\n");

    ASSERT_TRUE(WriteLineFileAtomically(folder / "f.txt", {}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

TEST(LineFileTest, MissingOrUnreadableFileIsNoList) {
    TempFolder folder;
    EXPECT_FALSE(ReadLineFile(folder / "absent.txt").has_value());
    std::filesystem::create_directory(folder / "dir.txt");
    EXPECT_FALSE(ReadLineFile(folder / "dir.txt").has_value());
    // A pipe in a playlist file's place has no writer: reading must not wait
    // for one.
    ASSERT_EQ(::mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    EXPECT_FALSE(ReadLineFile(folder / "pipe.txt").has_value());
}

TEST(LineFileTest, AFileOfManyBlocksReadsAsItsWholeText) {
    // Line ends of every kind at every distance, one CR LF split across the
    // 64 KiB mark and a last line without an end.
    std::string text(65535, 'a');
    text += "\r\n";
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; text.size() < 300000; ++i) {
        text += std::string(static_cast<std::size_t>(i % 97), static_cast<char>('b' + i % 20));
        text += ends[i % 3];
    }
    text += "last";
    TempFolder folder;
    WriteBytes(folder / "f.txt", text);
    const std::optional<Lines> lines = ReadLineFile(folder / "f.txt");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, SplitLines(text));
    EXPECT_EQ(lines->front(), std::string(65535, 'a'));
    EXPECT_EQ(lines->back(), "last");
}

TEST(LineFileTest, ReplacingKeepsThePermissionsOfTheOldFile) {
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old\r\n");
    ::chmod((folder / "f.txt").c_str(), 0640);
    ASSERT_TRUE(WriteLineFileAtomically(folder / "f.txt", {"new"}));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "f.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(LineFileTest, FailureInAMissingFolderReportsAndLeavesNothing) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(WriteLineFileAtomically(folder / "no" / "f.txt", {"x"}, &error));
    EXPECT_NE(error.find("f.txt"), std::string::npos) << error;
    EXPECT_TRUE(folder.Names().empty());
}

TEST(LineFileTest, FailureToReplaceLeavesTheTargetAndNoTemporaryFile) {
    // A folder in the file's place cannot be replaced by a file: the rename,
    // the very last step, fails after the temporary file was fully written.
    TempFolder folder;
    std::filesystem::create_directory(folder / "f.txt");
    WriteBytes(folder / "f.txt" / "inside", "kept");
    EXPECT_FALSE(WriteLineFileAtomically(folder / "f.txt", {"x"}));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt" / "inside"), "kept");
}

TEST(LineFileTest, WriteCutShortLeavesTheOldFileWhole) {
    // A file size limit makes the write itself fail half-way, as a full disk
    // would; this works even for a privileged user.
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old 1\r\nold 2\r\n");
    const Lines big(200, std::string(40, 'x'));

    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousAction {};
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    rlimit previousLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
    rlimit small = previousLimit;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = WriteLineFileAtomically(folder / "f.txt", big, &error);
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "old 1\r\nold 2\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

TEST(LineFileTest, ReadOnlyFolderLeavesTheOldFileWhole) {
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user may write into read-only folders";
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old\r\n");
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(WriteLineFileAtomically(folder / "f.txt", {"new"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "old\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

}  // namespace
}  // namespace kelto::playlist
