#include <gtest/gtest.h>

#include "status/StatusRefresh.h"
#include "tests/support/player/PlayerRig.h"

namespace kelto::testing {
namespace {

// A file of `lengthMs` opened and played; the fake's length is 100 frames, so
// its position in frames is the per cent played.
struct Ticking : PlayerRig {
    explicit Ticking(const char* lengthMs) {
        movie.lengthMs = lengthMs;
        movie.lengthFrames = "100";
        AddEntries({"/m/a.avi"});
        Select(0);
        playback.PlaySelected();
    }
    void TickAt(const char* percent) {
        movie.position = percent;
        refresh.TimerMisc_Timer();
    }
    status::StatusRefresh refresh{form, mm};
};

TEST(StatusRefresh, MeterPerCentAndTimeLabel) {
    const struct {
        const char* lengthMs;
        const char* percent;
        int meter;
        const char* progress;
        const char* time;
    } cases[] = {
        // The worked ticks of a 185-second file.
        {"185000", "0", 0, "0 %", "0:00 / 3:05"},
        {"185000", "45", 22, "45 %", "1:23 / 3:05"},
        {"185000", "47", 24, "47 %", "1:26 / 3:05"},
        {"185000", "50", 25, "50 %", "1:32 / 3:05"},
        {"185000", "100", 50, "100 %", "3:05 / 3:05"},
        // Under a minute the seconds are rounded, halves to even; from 59 s they are cut.
        {"100000", "9", 4, "9 %", "0:09 / 1:40"},
        {"95000", "10", 5, "10 %", "0:10 / 1:35"},
        {"105000", "10", 5, "10 %", "0:10 / 1:45"},
        {"119000", "50", 25, "50 %", "0:59 / 1:59"},
        {"60000", "100", 50, "100 %", "1:00 / 1:00"},
        {"7200000", "99", 50, "99 %", "118:48 / 120:00"},
        {"0", "50", 25, "50 %", "0:00 / 0:00"},
        // Past the end the meter stays full instead of failing.
        {"185000", "150", 50, "150 %", "4:37 / 3:05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lengthMs) + " ms at " + c.percent);
        Ticking rig(c.lengthMs);
        rig.form.Meter31->setValue(17);
        rig.TickAt(c.percent);
        EXPECT_EQ(rig.form.Meter31->Value(), c.meter);
        EXPECT_EQ(rig.form.LbProgress->text(), c.progress);
        EXPECT_EQ(rig.form.lbcurrentime->text(), c.time);
        EXPECT_EQ(rig.form.state.progressPercent, std::stoi(c.percent));
    }
}

// An unknown per cent leaves the meter and shows the negative time as it
// comes out of the arithmetic.
TEST(StatusRefresh, UnknownPerCentKeepsTheMeter) {
    Ticking rig("185000");
    rig.TickAt("50");
    rig.movie.positionCode = 263;
    rig.refresh.TimerMisc_Timer();
    EXPECT_EQ(rig.form.Meter31->Value(), 25);
    EXPECT_EQ(rig.form.LbProgress->text(), "-1 %");
    EXPECT_EQ(rig.form.lbcurrentime->text(), "-1:0-2 / 3:05");
    EXPECT_EQ(rig.form.state.progressPercent, -1);
}

// Length x per cent beyond 32 bits: the tick shows nothing and keeps its state.
TEST(StatusRefresh, OverflowLeavesTheDisplayAsItWas) {
    Ticking rig("2147483647");
    rig.TickAt("50");
    const QString time = rig.form.lbcurrentime->text();
    const double elapsed = rig.form.state.elapsedSeconds;

    ASSERT_NO_THROW(rig.TickAt("1000"));

    EXPECT_EQ(rig.form.Meter31->Value(), 25);
    EXPECT_EQ(rig.form.LbProgress->text(), "50 %");
    EXPECT_EQ(rig.form.lbcurrentime->text(), time);
    EXPECT_EQ(rig.form.state.elapsedSeconds, elapsed);
    EXPECT_EQ(rig.form.state.progressPercent, 50);
}

}  // namespace
}  // namespace kelto::testing
