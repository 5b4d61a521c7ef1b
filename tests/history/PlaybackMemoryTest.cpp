#include "history/PlaybackMemory.h"

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "history/ContinueKey.h"
#include "history/VolumeMemory.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/player/PlayerRig.h"

namespace kelto::history {
namespace {

using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

constexpr int kCeilingMs = 10000;

bool Sent(const std::vector<std::string>& commands, const std::string& command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// A two-hour film and a song on the scripted device, over a real history.
class PlaybackMemoryTest : public ::testing::Test {
protected:
    PlaybackMemoryTest() {
        for (const char* name : {"film.mkv", "song.mp3"}) {
            WriteBytes(temp / name, name);
            paths.push_back((temp / name).string());
        }
        rig.AddEntries(paths);
        rig.movie.lengthMs = "7200000";
        rig.movie.lengthFrames = "180000";
        rig.playback.setListener(&memory);
    }

    // Plays `row` and waits for the history's answer about it.
    void Play(int row) {
        rig.Select(row);
        rig.playback.PlaySelected();
        ASSERT_TRUE(history.Drain(kCeilingMs));
        QCoreApplication::processEvents();
    }

    TempFolder temp;
    std::vector<std::string> paths;
    kelto::testing::PlayerRig rig;
    History history{QString::fromStdString((temp / "state").string())};
    PlaybackMemory memory{rig.form, rig.mm, history};
};

TEST_F(PlaybackMemoryTest, AFilmLeftInsideIsOfferedAndRGoesBackThere) {
    Play(0);
    EXPECT_FALSE(memory.offering()) << "nothing to continue from the first time";
    rig.movie.position = "4360000";
    Play(1);  // the film is left at 1:12:40 for the song
    EXPECT_FALSE(memory.offering());

    Play(0);
    ASSERT_TRUE(memory.offering());
    EXPECT_EQ(memory.offerText(), "Continue from 1:12:40? Press R");
    EXPECT_EQ(rig.form.stripNotice(), memory.offerText());

    // R in the window, where the playlist has the focus: the seek goes out and
    // the letter does not move the playlist's selection.
    ContinueKey key(rig.form, memory);
    rig.form.show();
    rig.TakeCommands();
    QTest::keyClick(rig.form.List1, Qt::Key_R);
    const auto sent = rig.TakeCommands();
    EXPECT_TRUE(Sent(sent, "seek movie to 109000")) << ::testing::PrintToString(sent);
    EXPECT_TRUE(Sent(sent, "Play movie"));
    EXPECT_EQ(rig.form.List1->currentRow(), 0);
    EXPECT_FALSE(memory.offering());
    EXPECT_EQ(rig.form.stripNotice(), "");
    // Once taken, R is the playlist's again.
    QTest::keyClick(rig.form.List1, Qt::Key_R);
    EXPECT_FALSE(Sent(rig.TakeCommands(), "seek movie to 109000"));
}

TEST_F(PlaybackMemoryTest, AnyOtherChoiceEndsTheOfferAndAStopKeepsThePlace) {
    rig.movie.position = "600000";
    Play(0);
    rig.playback.StopPlayback();  // stopped at 10:00, still open
    Play(1);
    rig.movie.position = "0";  // the stopped song is left at its start
    Play(0);
    ASSERT_TRUE(memory.offering());
    EXPECT_EQ(memory.offerText(), "Continue from 10:00? Press R");
    rig.playback.TogglePause();
    EXPECT_FALSE(memory.offering());
    EXPECT_FALSE(memory.Continue());
    EXPECT_EQ(rig.form.stripNotice(), "");
}

TEST_F(PlaybackMemoryTest, AFileSeenToItsLastPartOrBarelyBegunIsNotOffered) {
    struct Case {
        const char* position;
        bool offered;
    };
    // 30 s in is not enough; 95 % of two hours is 6840 s.
    for (const Case& c : {Case{"30000", false}, Case{"30001", true}, Case{"6839000", true},
                          Case{"6840000", false}, Case{"7200000", false}}) {
        Play(0);
        rig.movie.position = c.position;
        Play(1);
        rig.movie.position = "0";
        Play(0);
        EXPECT_EQ(memory.offering(), c.offered) << c.position;
        // The last part forgets what was kept before.
        rig.movie.position = "6900000";
        Play(1);
    }
    Play(0);
    EXPECT_FALSE(memory.offering());
}

TEST_F(PlaybackMemoryTest, TheVolumeChosenIsKeptForTheNextFileAndTheNextRun) {
    {
        VolumeMemory volume(rig.form, rig.mm, history);
        memory.setOnStarted([&] { volume.Started(); });
        Play(0);
        EXPECT_FALSE(Sent(rig.TakeCommands(), "setaudio movie volume to 1000"));
        volume.Chosen(650);
        Play(1);
        EXPECT_TRUE(Sent(rig.TakeCommands(), "setaudio movie volume to 650"));
        memory.setOnStarted({});
    }
    ASSERT_TRUE(history.Drain(kCeilingMs));
    VolumeMemory later(rig.form, rig.mm, history);
    ASSERT_TRUE(history.Drain(kCeilingMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(later.volume(), 650);
}

}  // namespace
}  // namespace kelto::history
