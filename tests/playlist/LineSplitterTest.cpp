#include "playlist/LineSplitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelto::playlist {
namespace {

using Lines = std::vector<std::string>;

Lines SplitInPieces(const std::string& text, std::size_t pieceSize) {
    Lines lines;
    LineSplitter splitter([&lines](std::string_view line) { lines.emplace_back(line); });
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
        splitter.Feed(std::string_view(text).substr(at, pieceSize));
    }
    splitter.Finish();
    return lines;
}

// A file is read in blocks whose edges fall anywhere: inside a line, between
// the CR and LF of one line end, or between two line ends. Every way of
// cutting the text must give the same lines, the text whole among them.
TEST(LineSplitterTest, EveryCutOfTheTextGivesTheSameLines) {
    const struct {
        const char* name;
        std::string text;
        Lines lines;
    } cases[] = {
        {"empty text", "", {}},
        {"CR LF", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"LF", "ab\ncd\n", {"ab", "cd"}},
        {"CR alone", "ab\rcd\r", {"ab", "cd"}},
        {"no final line end", "ab\r\ncd", {"ab", "cd"}},
        {"mixed ends", "a\nb\r\nc\rd", {"a", "b", "c", "d"}},
        {"one empty line", "\r\n", {""}},
        {"empty lines of every kind", "\r\n\n\r\r\n", {"", "", "", ""}},
        {"empty lines between", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF is two ends", "a\r\r\nb", {"a", "", "b"}},
        {"long line", std::string(300, 'x') + "\r\ny", {std::string(300, 'x'), "y"}},
        {"commas, quotes and blanks stay", " \"x, y\" \r\n", {" \"x, y\" "}},
        {"commas and quotes stay", "\"x, y\",z\r\n", {"\"x, y\",z"}},
        {"blanks stay", "  lead\r\ntrail  \r\n \r\n", {"  lead", "trail  ", " "}},
    };
    for (const auto& c : cases) {
        for (std::size_t size = 1; size <= c.text.size() + 1; ++size) {
            EXPECT_EQ(SplitInPieces(c.text, size), c.lines) << c.name << ", pieces of " << size;
        }
    }
}

TEST(LineSplitterTest, EmptyPiecesChangeNothing) {
    Lines lines;
    LineSplitter splitter([&lines](std::string_view line) { lines.emplace_back(line); });
    splitter.Feed("a\r");
    splitter.Feed("");
    splitter.Feed("\nb");
    splitter.Feed("");
    splitter.Finish();
    EXPECT_EQ(lines, (Lines{"a", "b"}));
}

}  // namespace
}  // namespace kelto::playlist
