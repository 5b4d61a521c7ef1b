#include "playlist/WindowLifecycle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "mci/ModuleMultimedia.h"
#include "tests/support/fakes/RecordingMciPlatform.h"
#include "tests/support/files/TempFolder.h"
#include "ui/Form1.h"

namespace kelto::playlist {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::RecordingMciPlatform;
using kelto::testing::Reply;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

class WindowLifecycleTest : public ::testing::Test {
protected:
    WindowLifecycleTest() : media(platform), lifecycle(form, media, PlaylistFiles(folder.path())) {}

    TempFolder folder;
    RecordingMciPlatform platform;
    mci::ModuleMultimedia media;
    ui::Form1 form;
    WindowLifecycle lifecycle;
};

TEST_F(WindowLifecycleTest, LoadReadsWholeLinesOfEitherLineEndAndSelectsNothing) {
    WriteBytes(folder / "pl1.txt", "a, b.mp3\r\n\"q\".wav\n  blank.mid  \r\n\rÄ.avi");
    WriteBytes(folder / "pl2.txt",
               "/m/x, y/a, b.mp3\r\n/m/\"q\".wav\n/m/  blank.mid  \r\n\r/m/Ä.avi\r\n");
    lifecycle.Form_Load();
    EXPECT_EQ(form.List1->texts(),
              (QStringList{"a, b.mp3", "\"q\".wav", "  blank.mid  ", "", "Ä.avi"}));
    EXPECT_EQ(form.List2->texts(), (QStringList{"/m/x, y/a, b.mp3", "/m/\"q\".wav",
                                                "/m/  blank.mid  ", "", "/m/Ä.avi"}));
    EXPECT_TRUE(platform.commands().empty()) << "loading plays nothing";

    // Nothing selected, and the list taking the focus does not change that.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.List1->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(form.List1->currentRow(), -1);
    EXPECT_EQ(form.List2->currentRow(), -1);
}

TEST_F(WindowLifecycleTest, LoadCopesWithMissingAndUnequalFiles) {
    lifecycle.Form_Load();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(form.List2->count(), 0);

    ui::Form1 second;
    WriteBytes(folder / "pl1.txt", "one\r\ntwo\r\n");
    WriteBytes(folder / "pl2.txt", "/m/1.mp3\r\n/m/2.mp3\r\n/m/3 three.wav\r\n");
    WindowLifecycle(second, media, PlaylistFiles(folder.path())).Form_Load();
    EXPECT_EQ(second.List1->texts(), (QStringList{"1.mp3", "2.mp3", "3 three.wav"}));
    EXPECT_EQ(second.List2->count(), 3);

    ui::Form1 third;
    WriteBytes(folder / "pl2.txt", "/m/1.mp3\r\n");
    WindowLifecycle(third, media, PlaylistFiles(folder.path())).Form_Load();
    EXPECT_EQ(third.List1->texts(), QStringList{"1.mp3"});
    EXPECT_EQ(third.List2->texts(), QStringList{"/m/1.mp3"});
}

TEST_F(WindowLifecycleTest, ALongPlaylistLoadsWholeInOneInsertionPerList) {
    // Far more than one read block per file, so lines cross block edges.
    std::string titlesFile;
    std::string pathsFile;
    QStringList titles;
    QStringList paths;
    for (int i = 0; i < 20000; ++i) {
        const std::string title = "Track " + std::to_string(i) + " - \xC3\x84, \"x\".mp3";
        const std::string path = "/m/Artist " + std::to_string(i / 100) + "/" + title;
        titlesFile += title + "\r\n";
        pathsFile += path + "\r\n";
        titles << QString::fromUtf8(title);
        paths << QString::fromUtf8(path);
    }
    // One path more than titles: every path is titled with its file name.
    pathsFile += "/m/extra/one more.wav\r\n";
    titles << "one more.wav";
    paths << "/m/extra/one more.wav";
    WriteBytes(folder / "pl1.txt", titlesFile);
    WriteBytes(folder / "pl2.txt", pathsFile);

    QSignalSpy titlesInserted(form.List1->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy pathsInserted(form.List2->model(), &QAbstractItemModel::rowsInserted);
    lifecycle.Form_Load();
    EXPECT_EQ(titlesInserted.count(), 1);
    EXPECT_EQ(pathsInserted.count(), 1);
    EXPECT_EQ(form.List1->texts(), titles);
    EXPECT_EQ(form.List2->texts(), paths);
    EXPECT_EQ(form.List1->currentRow(), -1);
}

TEST_F(WindowLifecycleTest, QueryUnloadStopsTheTimersLetsWaitingEventsRunThenClosesAll) {
    form.TimerMisc->start();
    form.Timerscroll->start();
    ASSERT_TRUE(form.TimerAtEndFile->isActive());
    bool waitingEventRan = false;
    QTimer::singleShot(0, &form, [&] { waitingEventRan = true; });

    struct AtCloseAll {
        bool timerMisc;
        bool timerAtEndFile;
        bool waitingEventRan;
    };
    std::optional<AtCloseAll> seen;
    platform.setHook([&](const std::string& command) -> std::optional<Reply> {
        if (command == "Close All") {
            seen = AtCloseAll{form.TimerMisc->isActive(), form.TimerAtEndFile->isActive(),
                              waitingEventRan};
        }
        return std::nullopt;
    });

    lifecycle.Form_QueryUnload();
    EXPECT_EQ(platform.trimmedCommands(), std::vector<std::string>{"Close All"});
    ASSERT_TRUE(seen.has_value());
    EXPECT_FALSE(seen->timerMisc);
    EXPECT_FALSE(seen->timerAtEndFile);
    EXPECT_TRUE(seen->waitingEventRan);
    EXPECT_TRUE(form.Timerscroll->isActive()) << "the scrolling title is not touched here";
}

TEST_F(WindowLifecycleTest, QueryUnloadLeavesNoTimerRunningEvenIfAWaitingEventStartedOne) {
    // A double-click already queued when the window closes plays a file,
    // which switches both timers on. The timer belongs to Qt, not a leak.
    QTimer::singleShot(0, &form, [&] {  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
        form.TimerMisc->start();
        form.TimerAtEndFile->start();
    });
    lifecycle.Form_QueryUnload();
    EXPECT_FALSE(form.TimerMisc->isActive());
    EXPECT_FALSE(form.TimerAtEndFile->isActive());
    EXPECT_EQ(platform.trimmedCommands(), std::vector<std::string>{"Close All"});
}

TEST_F(WindowLifecycleTest, QueryUnloadGoesOnWhenCloseAllFails) {
    platform.fail("Close All", 277);
    lifecycle.Form_QueryUnload();
    EXPECT_EQ(platform.count("Close All"), 1u);
    EXPECT_FALSE(form.TimerAtEndFile->isActive());
}

TEST_F(WindowLifecycleTest, UnloadWritesBothListsAndTheyComeBackOnTheNextStart) {
    const QStringList titles{"a, b.mp3", " c ", "", "\"d.wav", "日本.mid"};
    const QStringList paths{"/m/x, y/a, b.mp3", "/m/ c ", "", "/m/\"d.wav", "/m/日本.mid"};
    form.List1->addItems(titles);
    form.List2->addItems(paths);
    form.List1->setCurrentRow(3);
    EXPECT_TRUE(lifecycle.Form_Unload());
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"),
              "a, b.mp3\r\n c \r\n\r\n\"d.wav\r\n\xE6\x97\xA5\xE6\x9C\xAC.mid\r\n");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));

    ui::Form1 next;
    WindowLifecycle(next, media, PlaylistFiles(folder.path())).Form_Load();
    EXPECT_EQ(next.List1->texts(), titles);
    EXPECT_EQ(next.List2->texts(), paths);
}

TEST_F(WindowLifecycleTest, UnloadOfAnEmptyPlaylistLeavesEmptyFiles) {
    WriteBytes(folder / "pl1.txt", "old\r\n");
    WriteBytes(folder / "pl2.txt", "/old\r\n");
    EXPECT_TRUE(lifecycle.Form_Unload());
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "");
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "");
}

TEST_F(WindowLifecycleTest, FilesLiveInTheCurrentDirectoryByDefault) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    ui::Form1 window;
    window.List1->addItem("t");
    window.List2->addItem("/m/t");
    const bool saved = WindowLifecycle(window, media, PlaylistFiles()).Form_Unload();
    std::filesystem::current_path(before);
    EXPECT_TRUE(saved);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/t\r\n");
}

}  // namespace
}  // namespace kelto::playlist
