#include "app/CommandLine.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelto::app
