#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mci/ModuleMultimedia.h"
#include "tests/support/fakes/RecordingMciPlatform.h"

namespace kelto::mci {
namespace {

using testing::RecordingMciPlatform;

class ModuleMultimediaQueryTest : public ::testing::Test {
protected:
    // nullopt scripts a refusal of the command.
    void Answer(const std::string& command, const std::optional<std::string>& reply) {
        if (reply) {
            fake.answer(command, reply->c_str());
        } else {
            fake.fail(command, 263);
        }
    }

    RecordingMciPlatform fake;
    ModuleMultimedia mci{fake};
};

constexpr std::nullopt_t kRefused = std::nullopt;

TEST_F(ModuleMultimediaQueryTest, StatusRepliesBecomeRoundedIntegers) {
    const struct {
        std::optional<std::string> reply;
        std::int32_t value;
    } cases[] = {
        {"250", 250},
        {"  12.5", 12},
        {"13.5", 14},
        {"abc", 0},
        {"-3", -3},
        {"", 0},
        {"12abc", 12},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {kRefused, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.value_or("<refused>"));
        Answer("status movie position", c.reply);
        Answer("status movie length", c.reply);
        EXPECT_EQ(mci.GetPosition("movie"), c.value);
        EXPECT_EQ(mci.GetLengthFrames("movie"), c.value);
        EXPECT_EQ(mci.GetLengthMs("movie"), c.value);
    }
    for (const char* tooLarge : {"2147483648", "-2147483649", "2147483647.5"}) {
        SCOPED_TRACE(tooLarge);
        fake.answer("status movie position", tooLarge);
        fake.answer("status movie length", tooLarge);
        // Too large for 32 bits is as unknown as refused.
        EXPECT_EQ(mci.GetPosition("movie"), -1);
        EXPECT_EQ(mci.GetLengthFrames("movie"), -1);
        EXPECT_EQ(mci.GetLengthMs("movie"), -1);
        fake.clear();
        mci.PlayMedia("movie", "", "");
        EXPECT_EQ(fake.trimmedCommands().back(), "play movie from 0 to -1");
    }
}

TEST_F(ModuleMultimediaQueryTest, RefusedTimeFormatIsIgnored) {
    fake.fail("set movie time format frames", 293);
    fake.fail("set movie time format ms", 293);
    fake.answer("status movie length", "10000");
    EXPECT_EQ(mci.GetLengthFrames("movie"), 10000);
    EXPECT_EQ(mci.GetLengthMs("movie"), 10000);
    // Milliseconds stand in for frames, so the rate is one per millisecond.
    EXPECT_EQ(mci.GetFramesPerSecond("movie"), 1000);
}

TEST_F(ModuleMultimediaQueryTest, LengthMsSwitchesBackToFramesEvenWhenRefused) {
    fake.fail("status movie length", 263);
    EXPECT_EQ(mci.GetLengthMs("movie"), -1);
    EXPECT_EQ(fake.trimmedCommands(),
              (std::vector<std::string>{"set movie time format ms", "status movie length",
                                        "set movie time format frames"}));
    // Refused status: no error text is fetched.
    EXPECT_EQ(fake.calls().size(), 3u);
}

TEST_F(ModuleMultimediaQueryTest, PercentPlayed) {
    const std::string huge = "2147483648";
    const struct {
        std::optional<std::string> length;
        std::optional<std::string> position;
        std::int32_t percent;
    } cases[] = {
        {"8", "1", 12},  // 12.5
        {"8", "3", 38},  // 37.5
        {"8", "8", 100},
        {"8", "9", 112},  // 112.5: not capped
        {"8", "0", 0},
        {"8", "-3", -38},  // -37.5
        {"8", "  1.5", 25},
        {"1", "21474836", 2147483600},
        {"1", "21474837", 0},  // position x 100 leaves 32 bits
        {"40000000", "30000000", 0},
        {"0", "0", 0},  // no length: 0, not -1
        {"0", "5", 0},
        {"abc", "5", 0},
        {huge, "5", 0},  // unreadable length counts as 0
        {"100", huge, 0},
        {kRefused, "5", -1},
        {"8", kRefused, -1},
        {huge, kRefused, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length.value_or("<refused>") + " / " + c.position.value_or("<refused>"));
        Answer("status movie length", c.length);
        Answer("status movie position", c.position);
        fake.clear();
        EXPECT_EQ(mci.GetPercentPlayed("movie"), c.percent);
        // Both queries always run, in order.
        EXPECT_EQ(fake.trimmedCommands(),
                  (std::vector<std::string>{"set movie time format frames", "status movie length",
                                            "status movie position"}));
    }
}

TEST_F(ModuleMultimediaQueryTest, FramesPerSecond) {
    const struct {
        std::optional<std::string> ms;
        std::optional<std::string> frames;
        std::int32_t fps;
    } cases[] = {
        {"10000", "250", 25},  {"100000", "2997", 30},  // 29.97
        {"2000", "25", 12},                             // 12.5
        {"2000", "35", 18},                             // 17.5
        {"0", "250", -1},                               // no duration
        {"abc", "250", -1},                             // reads as 0
        {kRefused, "250", -1}, {"10000", kRefused, -1}, {"1", "2147483", 2147483000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms.value_or("<refused>") + " / " + c.frames.value_or("<refused>"));
        std::vector<testing::Reply> replies;
        for (const auto& reply : {c.ms, c.frames}) {
            replies.push_back(reply ? testing::Reply::ok(*reply) : testing::Reply::error(263));
        }
        fake.script("status movie length", replies);
        EXPECT_EQ(mci.GetFramesPerSecond("movie"), c.fps);
    }
    fake.answer("status movie length", {"1", "2147484"});
    EXPECT_EQ(mci.GetFramesPerSecond("movie"), -1);
}

TEST_F(ModuleMultimediaQueryTest, PlaySpeedInPerCent) {
    const struct {
        std::optional<std::string> reply;
        std::int32_t percent;
    } cases[] = {
        {"1000", 100},
        {"400", 40},
        {"1005", 100},  // 100.5
        {"1015", 102},  // 101.5
        {"125", 12},
        {"abc", 0},
        {"-3", 0},
        {kRefused, -1},
        // Divided before rounding: a reply beyond 32 bits can still fit.
        {"21474836470", 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.value_or("<refused>"));
        Answer("status movie speed", c.reply);
        EXPECT_EQ(mci.GetPlaySpeed("movie"), c.percent);
    }
    fake.answer("status movie speed", "21474836475");  // 2147483647.5 rounds out of range
    EXPECT_EQ(mci.GetPlaySpeed("movie"), -1);
}

TEST_F(ModuleMultimediaQueryTest, AtEnd) {
    const struct {
        std::int32_t knownLength;
        std::optional<std::string> length;
        std::optional<std::string> position;
        bool atEnd;
        std::int32_t lengthAfter;
    } cases[] = {
        {0, "250", "249", false, 250},
        {0, "250", "250", true, 250},
        {0, "250", "251", true, 250},
        {0, kRefused, "300", false, -1},
        {0, "250", kRefused, false, 250},
        {100, "250", "150", true, 100},  // a known length is trusted
        {0, "-2147483648", "0", true, -2147483647 - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.knownLength) + " " + c.length.value_or("<refused>") + " " +
                     c.position.value_or("<refused>"));
        Answer("status movie length", c.length);
        Answer("status movie position", c.position);
        std::int32_t length = c.knownLength;
        EXPECT_EQ(mci.IsAtEnd("movie", length), c.atEnd);
        EXPECT_EQ(length, c.lengthAfter);
    }
}

}  // namespace
}  // namespace kelto::mci
