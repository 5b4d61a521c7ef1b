#include "playlist/LineFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/files/TempFolder.h"

namespace kelto::playlist {
namespace {

using kelto::testing::FileSizeLimit;
using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;
using Lines = std::vector<std::string>;

bool WriteLines(const std::filesystem::path& file, const Lines& lines,
                std::string* error = nullptr) {
    std::optional<ReplacementFile> replacement = ReplacementFile::Write(file, lines, error);
    return replacement.has_value() && replacement->Replace(error);
}

std::optional<Lines> ReadLines(const std::filesystem::path& file) {
    Lines lines;
    if (!ForEachLine(file, [&lines](std::string_view line) { lines.emplace_back(line); })) {
        return std::nullopt;
    }
    return lines;
}

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
    ASSERT_TRUE(WriteLines(folder / "pl2.txt", lines));
    EXPECT_EQ(ReadLines(folder / "pl2.txt"), lines);
}

TEST(LineFileTest, OnDiskEveryEntryEndsWithCrLfAndNothingElse) {
    TempFolder folder;
    ASSERT_TRUE(WriteLines(folder / "f.txt", {"one", "", "Ä"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "one\r\n\r\n\xC3\x84\r\n");

    ASSERT_TRUE(WriteLines(folder / "f.txt", {}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

TEST(LineFileTest, MissingOrUnreadableFileIsNoList) {
    TempFolder folder;
    EXPECT_FALSE(ReadLines(folder / "absent.txt").has_value());
    std::filesystem::create_directory(folder / "dir.txt");
    EXPECT_FALSE(ReadLines(folder / "dir.txt").has_value());
    // A pipe in a playlist file's place has no writer: reading must not wait
    // for one.
    ASSERT_EQ(::mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    EXPECT_FALSE(ReadLines(folder / "pipe.txt").has_value());
}

TEST(LineFileTest, AFileOfManyBlocksReadsAsItsWholeText) {
    // Line ends of every kind at every distance, one CR LF split across the
    // 64 KiB mark and a last line without an end.
    std::string text(65535, 'a');
    text += "\r\n";
    Lines expected{std::string(65535, 'a')};
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; text.size() < 300000; ++i) {
        expected.emplace_back(static_cast<std::size_t>(i % 97), static_cast<char>('b' + i % 20));
        text += expected.back();
        text += ends[i % 3];
    }
    text += "last";
    expected.emplace_back("last");
    TempFolder folder;
    WriteBytes(folder / "f.txt", text);
    const std::optional<Lines> lines = ReadLines(folder / "f.txt");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, expected);
}

TEST(LineFileTest, ReplacingKeepsThePermissionsOfTheOldFile) {
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old\r\n");
    ::chmod((folder / "f.txt").c_str(), 0640);
    ASSERT_TRUE(WriteLines(folder / "f.txt", {"new"}));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "f.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(LineFileTest, FailureInAMissingFolderReportsAndLeavesNothing) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(WriteLines(folder / "no" / "f.txt", {"x"}, &error));
    EXPECT_NE(error.find("f.txt"), std::string::npos) << error;
    EXPECT_TRUE(folder.Names().empty());
}

TEST(LineFileTest, FailureToReplaceLeavesTheTargetAndNoTemporaryFile) {
    // A folder in the file's place cannot be replaced by a file: the rename,
    // the very last step, fails after the temporary file was fully written.
    TempFolder folder;
    std::filesystem::create_directory(folder / "f.txt");
    WriteBytes(folder / "f.txt" / "inside", "kept");
    EXPECT_FALSE(WriteLines(folder / "f.txt", {"x"}));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt" / "inside"), "kept");
}

TEST(LineFileTest, WriteCutShortLeavesTheOldFileWhole) {
    // A file size limit makes the write itself fail half-way, as a full disk
    // would; this works even for a privileged user.
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old 1\r\nold 2\r\n");
    const Lines big(200, std::string(40, 'x'));

    std::string error;
    bool written = true;
    {
        FileSizeLimit limit(100);
        written = WriteLines(folder / "f.txt", big, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "old 1\r\nold 2\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

TEST(LineFileTest, AReplacementNeverUsedLeavesTheOldFileAndNothingElse) {
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old\r\n");
    {
        std::optional<ReplacementFile> unused = ReplacementFile::Write(folder / "f.txt", {"new"});
        ASSERT_TRUE(unused.has_value());
        EXPECT_EQ(ReadBytes(folder / "f.txt"), "old\r\n") << "untouched until replaced";
        std::optional<ReplacementFile> moved(std::move(*unused));
    }
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "old\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

TEST(LineFileTest, ReadOnlyFolderLeavesTheOldFileWhole) {
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user may write into read-only folders";
    TempFolder folder;
    WriteBytes(folder / "f.txt", "old\r\n");
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(WriteLines(folder / "f.txt", {"new"}));
    EXPECT_EQ(ReadBytes(folder / "f.txt"), "old\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"f.txt"}));
}

}  // namespace
}  // namespace kelto::playlist
