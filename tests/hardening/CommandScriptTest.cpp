// The fuzzer's seeds and the inputs it once failed on, replayed in the normal
// build: every promise the command language makes must hold for each of them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/CommandScript.h"
#include "fuzz/FakePipeline.h"
#include "mciservice/MciService.h"

namespace kelto::fuzz {
namespace {

TEST(CommandScriptTest, EverySeedKeepsThePromises) {
    const std::filesystem::path corpus = KELTO_FUZZ_CORPUS;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string script{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
        EXPECT_EQ(RunCommandScript(script), "") << entry.path().filename();
        ++count;
    }
    EXPECT_GE(count, 40) << "seed corpus missing from " << corpus;
}

struct Answer {
    std::uint32_t code;
    std::string reply;
};

class MadeUpMediaTest : public ::testing::Test {
protected:
    static mciservice::ServiceOptions Options() {
        mciservice::ServiceOptions options;
        options.pipelineOpener = OpenFakeMedia;
        return options;
    }
    Answer Send(const std::string& command) {
        Answer answer{0, {}};
        answer.code = service_.SendString(command, answer.reply);
        return answer;
    }
    mciservice::MciService service_{Options()};
};

TEST_F(MadeUpMediaTest, OpensAnswerFromTheNameAloneWithoutTouchingFiles) {
    // No such folder: a real open would give 275 for every one of these.
    const struct {
        const char* command;
        std::uint32_t code;
        const char* reply;
    } cases[] = {
        {"open /no/such/clip-2000.mpg alias v", 0, "1"},
        {"status v length", 0, "2000"},
        {"where v source", 0, "0 0 320 240"},
        {"open /no/such/song.mp3 alias s", 0, "2"},
        {"status s length", 0, "1000"},
        {"where s source", 346, ""},
        {"open /no/such/missing.mpg alias m", 275, ""},
        {"open /no/such/broken.mpg alias b", 296, ""},
        {"open /no/such/missing.mpg alias v", 289, ""},
    };
    for (const auto& c : cases) {
        const Answer answer = Send(c.command);
        EXPECT_EQ(answer.code, c.code) << c.command;
        EXPECT_EQ(answer.reply, c.reply) << c.command;
    }
    EXPECT_EQ(service_.OpenDeviceCount(), 2u);
}

TEST_F(MadeUpMediaTest, PlaysToTheEndAndAStreamFaultEndsThePlay) {
    for (const std::string name : {"clip-200.avi", "fault-200.avi"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Send("open /m/" + name + " alias a").code, 0u);
        ASSERT_EQ(Send("play a").code, 0u);
        // The made-up clock moves 40 ms a command: the end comes within a few.
        int polls = 0;
        while (Send("status a mode").reply == "playing" && polls < 20) {
            ++polls;
        }
        EXPECT_LT(polls, 20);
        EXPECT_GT(polls, 1);
        EXPECT_EQ(Send("status a position").reply, "200");
        EXPECT_EQ(Send("close a").code, 0u);
    }
}

}  // namespace
}  // namespace kelto::fuzz
