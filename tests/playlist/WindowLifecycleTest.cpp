#include "playlist/WindowLifecycle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "mci/ModuleMultimedia.h"
#include "tests/support/fakes/RecordingMciPlatform.h"
#include "tests/support/files/TempFolder.h"
#include "ui/Form1.h"

namespace kelto::playlist {
namespace {

using namespace std::string_literals;

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

// Lines in another encoding are shown as the Western code page shows them
// and go back byte for byte; a name in UTF-8 stays UTF-8.
TEST_F(WindowLifecycleTest, EntriesNotEditedGoBackByteForByte) {
    const std::string titles =
        "caf\xE9.mp3\r\nM\xC3\xBCller.wav\r\n\x80\x81\x8A\x9F\xA0\xFF.mid\r\n";
    const std::string paths = "/m/caf\xE9.mp3\r\n/m/M\xC3\xBCller.wav\r\n/m/\x01\x7F\xFE.mid\r\n";
    WriteBytes(folder / "pl1.txt", titles);
    WriteBytes(folder / "pl2.txt", paths);
    ::testing::internal::CaptureStderr();
    lifecycle.Form_Load();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "nothing was repaired";
    EXPECT_EQ(form.List1->texts(),
              (QStringList{QStringLiteral("caf\u00E9.mp3"), QStringLiteral("M\u00FCller.wav"),
                           QStringLiteral("\u20AC\u0081\u0160\u0178\u00A0\u00FF.mid")}));
    EXPECT_EQ(form.List2->bytes(0), "/m/caf\xE9.mp3");

    EXPECT_TRUE(lifecycle.Form_Unload());
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), titles);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), paths);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
}

// A pair the load had to change is kept as found, once: a later repair
// leaves the first copies alone. Lines no path can be (5 MB, a NUL byte) are
// repaired too, so the window never holds them.
TEST_F(WindowLifecycleTest, ARepairKeepsTheFilesAsFoundAndSaysSo) {
    const std::string titles = "One\r\nTwo\r\nThree\r\n";
    const std::string paths = "/m/1.mp3\r\n/m/2.mp3\r\n";
    WriteBytes(folder / "pl1.txt", titles);
    WriteBytes(folder / "pl2.txt", paths);
    ::testing::internal::CaptureStderr();
    lifecycle.Form_Load();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("3 titles for 2 paths"), std::string::npos) << said;
    EXPECT_NE(said.find("pl1.txt.orig"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(form.List1->texts(), (QStringList{"1.mp3", "2.mp3"}));
    EXPECT_TRUE(lifecycle.Form_Unload());
    EXPECT_EQ(ReadBytes(folder / "pl1.txt.orig"), titles);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt.orig"), paths);

    const std::string huge(5 << 20, 'x');
    WriteBytes(folder / "pl1.txt", "a\r\n" + huge + "\r\nc\r\nd\r\n");
    WriteBytes(folder / "pl2.txt", "/m/a.mp3\r\n/m/b.mp3\r\n/m/" + huge + "\r\n/m/d\0.mp3\r\n"s);
    ui::Form1 second;
    ::testing::internal::CaptureStderr();
    WindowLifecycle(second, media, PlaylistFiles(folder.path())).Form_Load();
    said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("earlier repair"), std::string::npos) << said;
    EXPECT_EQ(second.List1->texts(), (QStringList{"a", "b.mp3"}));
    EXPECT_EQ(second.List2->texts(), (QStringList{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(ReadBytes(folder / "pl1.txt.orig"), titles);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt.orig"), paths);
}

// At close the window is going away: standard error says what is lost.
TEST_F(WindowLifecycleTest, AnUnloadThatCannotSaveSaysSo) {
    std::filesystem::create_directory(folder / "pl1.txt");
    form.List1->addItem("t");
    form.List2->addItem("/m/t");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(lifecycle.Form_Unload());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("kelto-player: the playlist was not saved: ", 0), 0u) << said;
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
