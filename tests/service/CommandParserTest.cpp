#include "mciservice/CommandParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mciservice/CommandTable.h"

namespace kelto::mciservice {
namespace {

struct SplitCase {
    std::string command;
    std::uint32_t code;
    std::string device;  // expected device name when code is 0
    std::vector<std::string> words;
};

class SplitCommandTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandTest, CutsVerbDeviceAndWords) {
    const SplitCase& c = GetParam();
    CommandLine line;
    ASSERT_EQ(SplitCommand(c.command, line), c.code) << c.command;
    if (c.code != 0) {
        return;
    }
    EXPECT_EQ(line.device.text, c.device);
    ASSERT_EQ(line.wordCount, c.words.size());
    for (std::size_t i = 0; i < c.words.size(); ++i) {
        EXPECT_EQ(line.words[i].text, c.words[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, SplitCommandTest,
    ::testing::Values(SplitCase{"", 267, "", {}}, SplitCase{"      ", 267, "", {}},
                      SplitCase{"play", 292, "", {}}, SplitCase{"play      ", 292, "", {}},
                      SplitCase{"play \"movie", 294, "", {}},
                      SplitCase{"play \"mo vie\"x", 305, "", {}},
                      SplitCase{"play \"\"", 292, "", {}},
                      // Runs of blanks and the player's padding to 128 characters are nothing.
                      SplitCase{"play   movie    from 0  to 25" + std::string(99, ' '),
                                0,
                                "movie",
                                {"from", "0", "to", "25"}},
                      SplitCase{"open \"/m/a b \"\"c.mp3\" type x", 305, "", {}},
                      SplitCase{"open \"/m/a, b alias z.mp3\"  type MPEGVideo",
                                0,
                                "/m/a, b alias z.mp3",
                                {"type", "MPEGVideo"}},
                      SplitCase{"\tstatus\tm\tmode\t", 0, "m", {"mode"}},
                      SplitCase{"put m window at" + std::string(40, ' ') + std::string(80, '9'),
                                0,
                                "m",
                                {"window", "at", std::string(80, '9')}},
                      SplitCase{"put m" +
                                    [] {
                                        std::string many;
                                        for (int i = 0; i < 40; ++i) many += " w";
                                        return many;
                                    }(),
                                259,
                                "",
                                {}}));

TEST(SplitCommandTest, QuotedNamesAreMarkedSoTheyNeverMatchKeywords) {
    CommandLine line;
    ASSERT_EQ(SplitCommand("close \"all\" \"wait\"", line), 0u);
    EXPECT_TRUE(line.device.quoted);
    EXPECT_EQ(line.device.text, "all");
    ASSERT_EQ(line.wordCount, 1u);
    EXPECT_TRUE(line.words[0].quoted);

    const CommandSpec* close = FindCommand("close");
    Arguments args;
    EXPECT_EQ(ParseArguments(close->keywords, close->itemList, line.Words(), args), 259u);
}

struct ArgumentCase {
    std::string command;  // parsed against the table entry of its verb
    std::uint32_t code;
};

class ParseArgumentsTest : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ParseArgumentsTest, GivesTheCodeOfTheFirstFault) {
    const ArgumentCase& c = GetParam();
    CommandLine line;
    ASSERT_EQ(SplitCommand(c.command, line), 0u) << c.command;
    const CommandSpec* entry = FindCommand(line.verb);
    ASSERT_NE(entry, nullptr) << c.command;
    Arguments args;
    EXPECT_EQ(ParseArguments(entry->keywords, entry->itemList, line.Words(), args), c.code)
        << c.command;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseArgumentsTest,
    ::testing::Values(
        ArgumentCase{"play m from 0 to 250", 0},
        ArgumentCase{"PLAY m FROM 0 To 250 WAIT Notify", 0}, ArgumentCase{"play m fromage 1", 259},
        ArgumentCase{"play m from 1 from 2", 295}, ArgumentCase{"play m wait wait", 295},
        ArgumentCase{"play m from", 270}, ArgumentCase{"play m from abc", 270},
        ArgumentCase{"play m from +5", 270}, ArgumentCase{"play m from 1.5", 270},
        ArgumentCase{"play m from 99999999999", 270}, ArgumentCase{"play m from 4294967296", 270},
        ArgumentCase{"play m from -20", 0}, ArgumentCase{"play m \"from\" 5", 259},
        ArgumentCase{"status m length position", 284}, ArgumentCase{"status m length length", 284},
        ArgumentCase{"status m loudness", 290}, ArgumentCase{"status m time format", 0},
        ArgumentCase{"status m time", 290}, ArgumentCase{"where m destination", 0},
        ArgumentCase{"where m destination source", 284}, ArgumentCase{"put m window at 0 0", 270},
        ArgumentCase{"put m window at 0 0 a 4", 270},
        ArgumentCase{"put m window at 0 0 640 480", 0},
        ArgumentCase{"put m window at 0 0 640 480 destination at 0 0 1 1", 284},
        ArgumentCase{"set m time format", 273}, ArgumentCase{"set m time format frames", 0},
        ArgumentCase{"set m speed 400 time format ms", 0}, ArgumentCase{"set m speed fast", 270},
        ArgumentCase{"set m audio all off", 0},
        ArgumentCase{"set m audio all on audio all off", 284}, ArgumentCase{"seek m to 10", 0},
        ArgumentCase{"seek m to start", 0}, ArgumentCase{"seek m to END", 0},
        ArgumentCase{"seek m to", 270}, ArgumentCase{"seek m to start to end", 284},
        ArgumentCase{"seek m to middle", 270}, ArgumentCase{"setaudio m volume to 500", 0},
        ArgumentCase{"setaudio m volume to", 270},
        ArgumentCase{"open /a.mp3 type MPEGVideo Alias movie parent 0 Style 1073741824", 0},
        ArgumentCase{"open /a.mp3 type", 273}, ArgumentCase{"open /a.mp3 alias", 273},
        ArgumentCase{"open /a.mp3 parent x1", 270}));

TEST(ParseArgumentsTest, KeepsTheValuesItFound) {
    CommandLine line;
    ASSERT_EQ(SplitCommand("put m window at -5 6 640 480", line), 0u);
    const CommandSpec* put = FindCommand("put");
    Arguments args;
    ASSERT_EQ(ParseArguments(put->keywords, put->itemList, line.Words(), args), 0u);
    EXPECT_TRUE(args.Has(Kw::WindowAt));
    EXPECT_EQ(args.RectValue().x, -5);
    EXPECT_EQ(args.RectValue().y, 6);
    EXPECT_EQ(args.RectValue().width, 640);
    EXPECT_EQ(args.RectValue().height, 480);

    ASSERT_EQ(SplitCommand("open /x.mpg alias Movie type mpegvideo parent 4294967295", line), 0u);
    const CommandSpec* open = FindCommand("OPEN");
    ASSERT_EQ(ParseArguments(open->keywords, open->itemList, line.Words(), args), 0u);
    EXPECT_EQ(args.Word(Kw::Alias), "Movie");
    EXPECT_EQ(args.Integer(Kw::Parent), 4294967295);
    EXPECT_FALSE(args.Has(Kw::Style));

    ASSERT_EQ(SplitCommand("status m TIME FORMAT", line), 0u);
    const CommandSpec* status = FindCommand("Status");
    ASSERT_EQ(ParseArguments(status->keywords, status->itemList, line.Words(), args), 0u);
    EXPECT_EQ(args.Item(), Kw::TimeFormat);
}

TEST(FindCommandTest, KnowsVerbsInAnyCaseAndNothingElse) {
    for (const char* verb : {"open", "Close", "PLAY", "pause", "resume", "stop", "seek", "set",
                             "status", "where", "put", "setaudio"}) {
        EXPECT_NE(FindCommand(verb), nullptr) << verb;
    }
    for (const char* verb : {"", "plays", "jump", "statu", "\"play\""}) {
        EXPECT_EQ(FindCommand(verb), nullptr) << verb;
    }
}

}  // namespace
}  // namespace kelto::mciservice
