#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelto::app {
namespace {

TEST(CommandLineTest, HelpAndVersionAnswerAndEverythingElseStartsThePlayer) {
    struct Case {
        std::vector<std::string> args;
        bool finish;
        const char* textStart;
    };
    const Case cases[] = {
        {{}, false, ""},
        {{"--help"}, true, "Usage: kelto-player"},
        {{"-h"}, true, "Usage: kelto-player"},
        {{"-platform", "xcb", "--version"}, true, "kelto-player 1.0"},
        {{"-platform", "xcb"}, false, ""},
        {{"--", "--help"}, false, ""},
    };
    for (const Case& c : cases) {
        const CommandLineAnswer answer = AnswerCommandLine(c.args);
        const std::string label = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(answer.finish, c.finish) << label;
        EXPECT_EQ(answer.status, 0) << label;
        EXPECT_EQ(answer.text.rfind(c.textStart, 0), 0u) << label;
    }
}

TEST(CommandLineTest, ForgetEndsTheStartAndOnlyAsAnOption) {
    EXPECT_TRUE(AnswerCommandLine({"a.mp3", "--forget"}).forget);
    EXPECT_TRUE(AnswerCommandLine({"--forget"}).finish);
    const CommandLineAnswer file = AnswerCommandLine({"--", "--forget"});
    EXPECT_FALSE(file.forget);
    EXPECT_EQ(file.files, std::vector<std::string>{"--forget"});
    EXPECT_NE(AnswerCommandLine({"--help"}).text.find("--forget"), std::string::npos);
}

TEST(CommandLineTest, ArgumentsAreFilesInOrderAfterDashDashToo) {
    const CommandLineAnswer answer =
        AnswerCommandLine({"a.mp3", "--bogus", "-", "--", "--help", "-b.wav"});
    EXPECT_FALSE(answer.finish);
    EXPECT_EQ(answer.files, (std::vector<std::string>{"a.mp3", "-", "--help", "-b.wav"}));
    EXPECT_NE(answer.text.find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(std::count(answer.text.begin(), answer.text.end(), '\n'), 1);
}

}  // namespace
}  // namespace kelto::app
