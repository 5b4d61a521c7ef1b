#include <gtest/gtest.h>

#include "status/EndOfMedia.h"
#include "tests/support/player/PlayerRig.h"

namespace kelto::testing {
namespace {

using Strings = std::vector<std::string>;

std::vector<std::string> Paths(int count) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) paths.push_back("/m/clip" + std::to_string(i) + ".avi");
    return paths;
}

// `count` entries, entry `playing` opened and played, then the selection put
// on `selected` (a single click, a removal, ...).
struct Ending : PlayerRig {
    Ending(int count, int playing, int selected) {
        AddEntries(Paths(count));
        Select(playing);
        playback.PlaySelected();
        Select(selected);
        TakeCommands();
    }
    status::EndOfMedia endOfMedia{form, mm, playback};
};

TEST(EndOfMedia, BeforeTheEndNothingHappens) {
    Ending rig(3, 0, 0);
    rig.movie.position = "249";
    rig.endOfMedia.TimerAtEndFile_Timer();
    EXPECT_EQ(rig.TakeCommands(), (Strings{"set movie time format frames", "status movie length",
                                           "status movie position"}));
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
    EXPECT_TRUE(rig.form.Timerscroll->isActive());
}

// What plays at the end: the entry after the selection, or the selection
// itself with Auto Replay; nothing after the last entry.
TEST(EndOfMedia, ReplayAdvanceOrStop) {
    const struct {
        const char* what;
        int count, playing, selected;
        bool autoReplay;
        int played;  // -1: nothing is opened
    } cases[] = {
        {"advance", 5, 1, 1, false, 2},
        {"replay", 5, 1, 1, true, 1},
        {"last entry", 5, 4, 4, false, -1},
        {"last entry replayed", 5, 4, 4, true, 4},
        {"single click elsewhere", 10, 2, 7, false, 8},
        {"single click elsewhere, replay", 10, 2, 7, true, 7},
        {"playing entry removed", 4, 2, -1, false, 0},
        {"playlist cleared", 0, -1, -1, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ending rig(c.count, c.playing, c.selected);
        if (c.count == 0) {  // the cleared playlist's file was opened from outside the lists
            rig.mm.OpenMedia(1, "movie", "/m/x.avi", "MPEGVideo");
            rig.TakeCommands();
        }
        rig.form.Check->setChecked(c.autoReplay);
        rig.form.TimerMisc->start();
        rig.form.Timerscroll->start();
        rig.movie.position = rig.movie.lengthFrames;

        rig.endOfMedia.TimerAtEndFile_Timer();

        const Strings sent = rig.TakeCommands();
        if (c.played < 0) {
            EXPECT_EQ(sent.size(), 3u);  // the end test only
            EXPECT_FALSE(rig.form.TimerMisc->isActive());
            EXPECT_FALSE(rig.form.Timerscroll->isActive());
            EXPECT_EQ(rig.form.List1->currentRow(), c.selected);
        } else {
            EXPECT_EQ(rig.movie.openedPath(), Paths(c.count)[c.played]);
            EXPECT_EQ(rig.form.List1->currentRow(), c.played);
            EXPECT_EQ(rig.form.List2->currentRow(), c.played);
            EXPECT_TRUE(rig.form.TimerMisc->isActive());  // the new file's
        }
    }
}

// After the last entry the end is found again on every tick; ticking Auto
// Replay then restarts that entry.
TEST(EndOfMedia, LastEntryStaysEndedUntilAutoReplayIsTicked) {
    Ending rig(2, 1, 1);
    rig.movie.position = rig.movie.lengthFrames;
    rig.endOfMedia.TimerAtEndFile_Timer();
    rig.form.lbcurrentime->setText(QStringLiteral("0:10 / 0:10"));
    rig.endOfMedia.TimerAtEndFile_Timer();
    EXPECT_EQ(rig.TakeCommands().size(), 6u);
    EXPECT_EQ(rig.form.lbcurrentime->text(), "0:10 / 0:10");

    rig.form.Check->setChecked(true);
    rig.endOfMedia.TimerAtEndFile_Timer();
    EXPECT_EQ(rig.TakeCommands()[3], "Close All");
    EXPECT_EQ(rig.movie.openedPath(), "/m/clip1.avi");
}

// A next entry that fails to open is not at an end either: nothing more is tried.
TEST(EndOfMedia, FailedNextOpenStopsTheChain) {
    Ending rig(3, 0, 0);
    rig.movie.missingPaths.insert("/m/clip1.avi");
    rig.movie.position = rig.movie.lengthFrames;
    rig.endOfMedia.TimerAtEndFile_Timer();
    EXPECT_EQ(rig.form.List1->currentRow(), 1);
    rig.TakeCommands();
    rig.endOfMedia.TimerAtEndFile_Timer();
    EXPECT_EQ(rig.TakeCommands().size(), 3u);
    EXPECT_EQ(rig.form.List1->currentRow(), 1);
}

TEST(EndOfMedia, ReplyBeyond32BitsIsNoEnd) {
    Ending rig(3, 0, 0);
    rig.movie.position = "99999999999";
    ASSERT_NO_THROW(rig.endOfMedia.TimerAtEndFile_Timer());
    EXPECT_EQ(rig.form.List1->currentRow(), 0);
    EXPECT_TRUE(rig.form.TimerMisc->isActive());
}

}  // namespace
}  // namespace kelto::testing
