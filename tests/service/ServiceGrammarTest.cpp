#include <gtest/gtest.h>

#include <string>

#include "mciservice/MciService.h"

namespace kelto::mciservice {
namespace {

struct CommandCase {
    std::string command;
    std::uint32_t code;
};

class ServiceWithoutMediaTest : public ::testing::TestWithParam<CommandCase> {};

// Nothing is open here: each command fails (or "close all" succeeds) before
// any file is touched, and every failure leaves the reply empty.
TEST_P(ServiceWithoutMediaTest, AnswersWithTheRightCode) {
    MciService service;
    std::string reply = "left over";
    EXPECT_EQ(service.SendString(GetParam().command, reply), GetParam().code) << GetParam().command;
    EXPECT_EQ(reply, "");
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ServiceWithoutMediaTest,
    ::testing::Values(CommandCase{"", 267}, CommandCase{"play", 292},
                      CommandCase{"jump movie", 261}, CommandCase{"status movie length", 263},
                      CommandCase{"seek movie", 263}, CommandCase{"Close movie", 263},
                      CommandCase{"status ALL mode", 279},
                      // Every device that is open gets it: none here.
                      CommandCase{"play all", 0}, CommandCase{"stop all wait", 0},
                      CommandCase{"set all time format frames", 0}, CommandCase{"seek all", 273},
                      CommandCase{"pause all now", 259},
                      // An unknown alias, and a media file that is not there.
                      CommandCase{"play movie", 263}, CommandCase{"play /no/such/ding.wav", 275},
                      CommandCase{"close /no/such/ding.wav", 263}, CommandCase{"close all", 0},
                      CommandCase{"Close All" + std::string(100, ' '), 0},
                      CommandCase{"close \"all", 294}, CommandCase{"open", 292},
                      // What the player sends when the path could not be shortened.
                      CommandCase{"open  type MPEGVideo Alias movie parent 0 Style 1073741824",
                                  292},
                      CommandCase{"open /no/such/file.mpg type MPEGVideo Alias movie", 275},
                      CommandCase{"open /no/such/file.mpg", 275},
                      CommandCase{"open /no/such/file.mpg type cdaudio alias m", 263},
                      CommandCase{"open /no/such/file.mpg type MPEGVideo alias all", 292},
                      CommandCase{"open /no/such/file.mpg type MPEGVideo alias m parent", 270},
                      CommandCase{"open /etc type MPEGVideo alias m", 296},
                      CommandCase{"open /dev/null type MPEGVideo alias m", 296}));

TEST(ErrorTextTest, GivesTheTextsCallersShow) {
    EXPECT_EQ(MciService::ErrorText(263),
              "The specified device is not open or is not recognized by MCI.");
    EXPECT_EQ(MciService::ErrorText(275),
              "Cannot find the specified file. Make sure the path and filename are correct.");
    EXPECT_EQ(MciService::ErrorText(296),
              "The specified file cannot be played on the specified MCI device. The file may be "
              "corrupt, or not in the correct format.");
    EXPECT_EQ(MciService::ErrorText(346), "There is no display window.");
    EXPECT_EQ(MciService::ErrorText(277).find("Windows"), std::string::npos);
    EXPECT_EQ(MciService::ErrorText(1), "");
    EXPECT_EQ(MciService::ErrorText(999), "");
}

TEST(ErrorTextTest, EveryCodeTheServiceGivesHasAText) {
    for (const std::uint32_t code :
         {257u, 259u, 261u, 263u, 265u, 266u, 267u, 268u, 270u, 272u, 273u, 274u, 275u, 276u,
          277u, 279u, 282u, 284u, 289u, 290u, 292u, 293u, 294u, 295u, 296u, 302u, 305u, 346u}) {
        const std::string text = MciService::ErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_LT(text.size(), 128u) << code;  // fits the player's buffer with its NUL
    }
}

}  // namespace
}  // namespace kelto::mciservice
