#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/service/ServiceTestSupport.h"

namespace kelto::mciservice {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using testing::ClipKind;
using testsupport::Clip;
using testsupport::Number;
using testsupport::Send;
using testsupport::WaitForMode;
using testsupport::WaitUntil;

// Only for showing that something stays as it is: a busy machine makes the
// pause longer, never the check weaker.
void HoldStill(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

class OpenClip : public ::testing::Test {
protected:
    // Opens a clip under "m"; video clips count frames, audio ones milliseconds.
    void Open(ClipKind kind) {
        ASSERT_EQ(Send(service_, "open " + Clip(kind).string() + " type MPEGVideo alias m").code,
                  0u);
        Send(service_, "set m time format frames");
        length_ = Number(service_, "status m length");
    }
    std::int64_t Position() { return Number(service_, "status m position"); }
    bool WaitForPositionPast(std::int64_t position) {
        return WaitUntil([&] { return Position() > position; });
    }
    std::string Mode() { return Send(service_, "status m mode").reply; }

    MciService service_;
    std::int64_t length_ = 0;
};

class PlayToTheEndTest : public OpenClip, public ::testing::WithParamInterface<ClipKind> {};

// The player's end test is "position >= length": at the end the position must
// be exactly the length and the device stopped, for every format.
TEST_P(PlayToTheEndTest, StopsExactlyAtTheLength) {
    Open(GetParam());
    // A tenth of a second or so before the end keeps the suite fast.
    const std::int64_t from = length_ - (length_ > 100 ? 150 : 3);
    const auto start = steady_clock::now();
    ASSERT_EQ(Send(service_, "play m from " + std::to_string(from) + " wait").code, 0u);
    // Played at real-time pace, not as fast as the decoder goes.
    EXPECT_GE(steady_clock::now() - start, milliseconds(80));
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Position(), length_);
    // Playing at the end plays nothing and stays there.
    EXPECT_EQ(Send(service_, "play m").code, 0u);
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Position(), length_);
}

INSTANTIATE_TEST_SUITE_P(Formats, PlayToTheEndTest,
                         ::testing::Values(ClipKind::Mp3, ClipKind::Mp2, ClipKind::Wav,
                                           ClipKind::Midi, ClipKind::Mpeg1, ClipKind::Avi,
                                           ClipKind::Vob),
                         [](const auto& info) {
                             return testing::ExtensionOf(info.param).substr(1);
                         });

TEST_F(OpenClip, PlaysAWholeClipInRealTimeWithoutWaitFlag) {
    Open(ClipKind::Mpeg1);
    const auto start = steady_clock::now();
    ASSERT_EQ(Send(service_, "play m from 0 to " + std::to_string(length_)).code, 0u);
    // Returned at once: the clip is still playing.
    EXPECT_EQ(Mode(), "playing");
    EXPECT_LT(Position(), length_);
    std::int64_t last = 0;
    bool sawMiddle = false;
    while (steady_clock::now() - start < testsupport::kPatience) {
        const std::int64_t position = Position();
        // Asked after the position: still playing now means playing then.
        if (Mode() != "playing") {
            break;
        }
        EXPECT_GE(position, last);
        EXPECT_LT(position, length_) << "the end shows only once stopped";
        sawMiddle = sawMiddle || (position > 0 && position < length_);
        last = position;
        std::this_thread::sleep_for(milliseconds(50));
    }
    EXPECT_TRUE(sawMiddle);
    EXPECT_GE(steady_clock::now() - start, milliseconds(850));
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Position(), length_);
}

TEST_F(OpenClip, PlayStopsAtItsToAndPlayGoesOnFromThere) {
    Open(ClipKind::Mpeg1);
    ASSERT_EQ(Send(service_, "play m from 2 to 6 wait").code, 0u);
    EXPECT_EQ(Mode(), "stopped");
    EXPECT_EQ(Position(), 6);
    ASSERT_EQ(Send(service_, "seek m to " + std::to_string(length_ - 4)).code, 0u);
    ASSERT_EQ(Send(service_, "play m wait").code, 0u);
    EXPECT_EQ(Position(), length_);
}

TEST_F(OpenClip, StopKeepsThePositionAndPlayContinuesFromIt) {
    Open(ClipKind::Wav);
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    ASSERT_TRUE(WaitForPositionPast(100));
    ASSERT_EQ(Send(service_, "stop m").code, 0u);
    EXPECT_EQ(Mode(), "stopped");
    const std::int64_t stoppedAt = Position();
    EXPECT_GT(stoppedAt, 100);
    EXPECT_LT(stoppedAt, length_);
    HoldStill(150);
    EXPECT_EQ(Position(), stoppedAt);

    ASSERT_EQ(Send(service_, "play m").code, 0u);
    EXPECT_EQ(Mode(), "playing");
    EXPECT_TRUE(WaitForPositionPast(stoppedAt));
    EXPECT_TRUE(WaitForMode(service_, "m", "stopped"));
    EXPECT_EQ(Position(), length_);
}

TEST_F(OpenClip, PauseHoldsAndResumeContinues) {
    Open(ClipKind::Avi);
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    ASSERT_TRUE(WaitForPositionPast(0));
    ASSERT_EQ(Send(service_, "pause m").code, 0u);
    EXPECT_EQ(Mode(), "paused");
    const std::int64_t pausedAt = Position();
    HoldStill(200);
    EXPECT_EQ(Position(), pausedAt);
    ASSERT_EQ(Send(service_, "resume m").code, 0u);
    EXPECT_EQ(Mode(), "playing");
    EXPECT_TRUE(WaitForPositionPast(pausedAt));

    // Play after pause also continues rather than starting over.
    ASSERT_EQ(Send(service_, "pause m").code, 0u);
    const std::int64_t again = Position();
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    EXPECT_GE(Position(), again);
    EXPECT_TRUE(WaitForMode(service_, "m", "stopped"));
    EXPECT_EQ(Position(), length_);
}

TEST_F(OpenClip, SeekLeavesTheDeviceStoppedAtTheTarget) {
    Open(ClipKind::Vob);
    struct Step {
        std::string command;
        std::uint32_t code;
        std::int64_t position;  // expected afterwards
    };
    const std::string len = std::to_string(length_);
    const Step steps[] = {
        {"seek m to 12", 0, 12},
        {"seek m to end", 0, length_},
        {"seek m to start", 0, 0},
        {"seek m to " + len + " wait", 0, length_},
        {"seek m to " + std::to_string(length_ + 1), 282, length_},
        {"seek m to -20", 282, length_},
        {"seek m", 273, length_},
        {"seek m to 3 wait", 0, 3},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(Send(service_, step.command).code, step.code) << step.command;
        EXPECT_EQ(Mode(), "stopped") << step.command;
        EXPECT_EQ(Position(), step.position) << step.command;
    }
    // Seeking while playing stops there too.
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    ASSERT_EQ(Send(service_, "seek m to 10").code, 0u);
    EXPECT_EQ(Mode(), "stopped");
    HoldStill(100);
    EXPECT_EQ(Position(), 10);
    // Frames and milliseconds name the same place.
    ASSERT_EQ(Send(service_, "set m time format ms").code, 0u);
    EXPECT_EQ(Position(), 400);
}

TEST_F(OpenClip, PlayRangeOutsideTheMediaIs282) {
    Open(ClipKind::Mpeg1);
    const std::string len = std::to_string(length_);
    for (const std::string& command :
         {"play m from " + std::to_string(length_ + 1), "play m to " + std::to_string(length_ + 1),
          std::string("play m from 10 to 5"), std::string("play m from -1"),
          std::string("play m to -1")}) {
        EXPECT_EQ(Send(service_, command).code, 282u) << command;
        EXPECT_EQ(Mode(), "stopped") << command;
    }
    EXPECT_EQ(Send(service_, "play m from 5 to 5").code, 0u);
    EXPECT_EQ(Position(), 5);
    EXPECT_EQ(Mode(), "stopped");
}

TEST_F(OpenClip, SlowMotionPlaysAtTheGivenSpeed) {
    Open(ClipKind::Wav);
    EXPECT_EQ(Send(service_, "set m speed 0").code, 282u);
    EXPECT_EQ(Send(service_, "set m speed fast").code, 270u);
    EXPECT_EQ(Send(service_, "status m speed").reply, "1000");

    ASSERT_EQ(Send(service_, "set m speed 400").code, 0u);
    EXPECT_EQ(Send(service_, "status m speed").reply, "400");
    // 600 ms of sound take 1500 ms at 0.4 of normal speed, 600 ms at normal
    // speed. A busy machine can only make that longer, so the bound is a lower
    // one, with room for the start-up the sink skips.
    const auto since = steady_clock::now();
    ASSERT_EQ(Send(service_, "play m from 100 to 700 wait").code, 0u);
    EXPECT_GE(steady_clock::now() - since, milliseconds(1000));
    EXPECT_EQ(Position(), 700);

    ASSERT_EQ(Send(service_, "set m speed 1000").code, 0u);
    EXPECT_EQ(Send(service_, "status m speed").reply, "1000");
    ASSERT_EQ(Send(service_, "play m").code, 0u);
    EXPECT_TRUE(WaitForMode(service_, "m", "stopped"));
    EXPECT_EQ(Position(), length_);
}

TEST_F(OpenClip, VolumeAndMute) {
    Open(ClipKind::Mp3);
    EXPECT_EQ(Send(service_, "setaudio m volume to 500").code, 0u);
    EXPECT_EQ(Send(service_, "status m volume").reply, "500");
    EXPECT_EQ(Send(service_, "setaudio m volume to 1001").code, 282u);
    EXPECT_EQ(Send(service_, "status m volume").reply, "500");
    EXPECT_EQ(Send(service_, "set m audio all off").code, 0u);
    EXPECT_EQ(Send(service_, "setaudio m on").code, 0u);
}

}  // namespace
}  // namespace kelto::mciservice
