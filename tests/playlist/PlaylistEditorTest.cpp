#include "playlist/PlaylistEditor.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>
#include <QTest>
#include <memory>
#include <vector>

#include "platform/widgets/FileSaveDialog.h"
#include "tests/support/fakes/ListedMediaProbe.h"
#include "tests/support/fakes/ScriptedDialog.h"
#include "tests/support/files/TempFolder.h"
#include "ui/Form1.h"
#include "ui/basScroller.h"

namespace kelto::playlist {
namespace {

using kelto::testing::ListedMediaProbe;
using kelto::testing::ReadBytes;
using kelto::testing::ScriptedDialog;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

// The window with the playlist connected the way the program connects it;
// PlaySelected is stood in for by a record of the path it would open.
class PlaylistEditorTest : public ::testing::Test {
protected:
    PlaylistEditorTest()
        : editor(
              form, [this] { played << CurrentPath(); }, PlaylistFiles(folder.path()), probe) {
        auto scripted = std::make_unique<ScriptedDialog>();
        dialog = scripted.get();
        form.setCommonDialog(std::move(scripted));
        QObject::connect(
            form.asxToolbar2, &platform::asxToolbar::ButtonClick,
            [this](int index, const QString& key) { editor.asxToolbar2_Click(index, key); });
        QObject::connect(form.List1, &platform::ListBox::currentRowChanged,
                         [this](int) { editor.List1_Click(); });
        QObject::connect(form.List1, &platform::ListBox::rowDoubleClicked,
                         [this](int) { editor.List1_DblClick(); });
    }

    QString CurrentPath() const { return form.List2->text(form.List2->currentRow()); }

    void AddFiles(const QStringList& paths) {
        for (const QString& path : paths) {
            dialog->Queue(path);
            form.asxToolbar2->button(1)->click();
        }
    }

    void ExpectSelected(int row) const {
        EXPECT_EQ(form.List1->currentRow(), row);
        EXPECT_EQ(form.List2->currentRow(), row);
    }

    TempFolder folder;
    ListedMediaProbe probe;
    ui::Form1 form;
    ScriptedDialog* dialog = nullptr;
    QStringList played;
    PlaylistEditor editor;
};

TEST_F(PlaylistEditorTest, AddAppendsTheChosenFileAndSelectsItInBothLists) {
    AddFiles({"/m/a.mp3"});
    EXPECT_EQ(form.List1->texts(), QStringList{"a.mp3"});
    EXPECT_EQ(form.List2->texts(), QStringList{"/m/a.mp3"});
    ExpectSelected(0);

    AddFiles({"/m/b.wav", "/m/c.mid", "/m/d.avi", "/m/e.vob"});
    form.List1->setCurrentRow(2);
    ExpectSelected(2);
    AddFiles({"/m/Smith, J/f g.mpg"});
    EXPECT_EQ(form.List1->count(), 6);
    EXPECT_EQ(form.List1->text(5), "f g.mpg");
    EXPECT_EQ(form.List2->text(5), "/m/Smith, J/f g.mpg");
    ExpectSelected(5);
    EXPECT_TRUE(played.isEmpty()) << "adding must not start playback";
}

TEST_F(PlaylistEditorTest, EveryEditIsSavedAtOnce) {
    AddFiles({"/m/a.mp3", "/m/b, c.wav"});
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "a.mp3\r\nb, c.wav\r\n");
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/a.mp3\r\n/m/b, c.wav\r\n");

    form.List1->setCurrentRow(0);
    editor.Remove();
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "b, c.wav\r\n");
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/b, c.wav\r\n");

    editor.Clear();
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "");
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"pl1.txt", "pl2.txt"}));
}

TEST_F(PlaylistEditorTest, TheDialogsChoiceJoinsOnlyWhenItIsMedia) {
    probe.MarkNotMedia("/m/notes.mp3");
    AddFiles({"/m/a.mp3"});
    ::testing::internal::CaptureStderr();
    AddFiles({"/m/notes.mp3"});
    const std::string refused = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(refused,
              "kelto-player: not added: /m/notes.mp3: not a media file "
              "(its content is text/plain)\n");
    EXPECT_EQ(form.List2->texts(), QStringList{"/m/a.mp3"});
    ExpectSelected(0);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/a.mp3\r\n");
}

// An edit that cannot be saved is said at once, in the window and on
// standard error, and the entry stays in the list.
TEST_F(PlaylistEditorTest, AnEditThatCannotBeSavedIsSaidAtOnce) {
    std::filesystem::create_directory(folder / "pl1.txt");
    ::testing::internal::CaptureStderr();
    AddFiles({"/m/a.mp3"});
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("kelto-player: the playlist was not saved: ", 0), 0u) << said;
    const ui::ScrollPass* pass = ui::RunningPass(form.Picture2);
    ASSERT_NE(pass, nullptr) << "the title strip says it";
    EXPECT_EQ(form.List2->texts(), QStringList{"/m/a.mp3"});
}

TEST_F(PlaylistEditorTest, CancelledDialogAddsNothing) {
    dialog->Queue(std::nullopt);  // fresh start: nothing ever chosen
    editor.Add();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(form.List2->count(), 0);

    AddFiles({"/m/a.mp3"});
    dialog->Queue(std::nullopt);  // the dialog still holds the earlier choice
    editor.Add();
    EXPECT_EQ(dialog->Shown(), 3);
    EXPECT_EQ(form.List1->texts(), QStringList{"a.mp3"});
    EXPECT_EQ(form.List2->texts(), QStringList{"/m/a.mp3"});
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/a.mp3\r\n");
}

TEST_F(PlaylistEditorTest, RemoveTakesTheSelectedPairAndLeavesNothingSelected) {
    AddFiles({"/m/a", "/m/b", "/m/c"});
    form.List1->setCurrentRow(-1);
    editor.Remove();
    EXPECT_EQ(form.List1->texts(), (QStringList{"a", "b", "c"})) << "nothing selected: no change";

    form.List1->setCurrentRow(1);
    form.asxToolbar2->button(2)->click();
    EXPECT_EQ(form.List1->texts(), (QStringList{"a", "c"}));
    EXPECT_EQ(form.List2->texts(), (QStringList{"/m/a", "/m/c"}));
    ExpectSelected(-1);
    EXPECT_FALSE(form.List1->selectionModel()->hasSelection());

    form.List1->setCurrentRow(1);  // the last one
    editor.Remove();
    EXPECT_EQ(form.List2->texts(), QStringList{"/m/a"});
    ExpectSelected(-1);
}

TEST_F(PlaylistEditorTest, ClearEmptiesBothListsAndToleratesAnEmptyList) {
    editor.Clear();
    EXPECT_EQ(form.List1->count(), 0);
    AddFiles({"/m/a", "/m/b"});
    form.asxToolbar2->button(3)->click();
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(form.List2->count(), 0);
    ExpectSelected(-1);
}

TEST_F(PlaylistEditorTest, TheIndexAloneChoosesTheOperation) {
    AddFiles({"/m/a", "/m/b"});
    const int shown = dialog->Shown();
    editor.asxToolbar2_Click(0, "add");
    editor.asxToolbar2_Click(4, "clear");
    editor.asxToolbar2_Click(-1, "remove");
    EXPECT_EQ(dialog->Shown(), shown);
    EXPECT_EQ(form.List1->count(), 2);
    editor.asxToolbar2_Click(3, "add");
    EXPECT_EQ(form.List1->count(), 0);
}

TEST_F(PlaylistEditorTest, ListsOfUnequalLengthNeverSelectAWrongPath) {
    // Only possible if something filled the lists unevenly; the click must
    // neither fail nor leave List2 on an unrelated entry.
    AddFiles({"/m/a", "/m/b"});
    form.List1->addItem("orphan title");
    form.List1->setCurrentRow(1);
    EXPECT_EQ(form.List2->currentRow(), 1);
    form.List1->setCurrentRow(2);
    EXPECT_EQ(form.List2->currentRow(), -1);
    editor.Remove();
    EXPECT_EQ(form.List1->count(), 3) << "a title without a path is not removed with a wrong path";
    EXPECT_EQ(form.List2->count(), 2);
}

TEST_F(PlaylistEditorTest, DoubleClickPlaysTheClickedEntryEvenWhenAnotherWasSelected) {
    AddFiles({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    form.List1->setCurrentRow(0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QWidget* viewport = form.List1->viewport();
    const QPoint third = form.List1->visualItemRect(2).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, third);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, third);
    EXPECT_EQ(played, QStringList{"/m/c.mp3"});
    ExpectSelected(2);
}

TEST_F(PlaylistEditorTest, FocusAloneDoesNotSelectAnEntry) {
    // Remove and the advance at the end of a file act on the selected entry,
    // so the list getting the focus (Escape from full screen gives it) must
    // not quietly pick one the user cannot see.
    AddFiles({"/m/a", "/m/b", "/m/c"});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Picture1->setFocus(Qt::OtherFocusReason);
    form.List1->setCurrentRow(1);
    editor.Remove();
    form.List1->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(form.List1->hasFocus());
    ExpectSelected(-1);
}

// A save dialog that always chooses `file`.
class ChosenSaveFile : public platform::FileSaveDialog {
public:
    explicit ChosenSaveFile(QString file) : file_(std::move(file)) {}
    bool ShowSave() override { return true; }
    QString FileName() const override { return file_; }

private:
    QString file_;
};

// The dialog's road for a playlist file: its entries come in its order with
// its titles, a missing one named and skipped, the first played and the
// playlist saved when they are all in; Ctrl+S writes them out again.
TEST_F(PlaylistEditorTest, AChosenPlaylistIsAddedAndPlayedAndCtrlSSavesItAsM3u8) {
    AddFiles({"/m/before.mp3"});
    const QString dir = QString::fromStdString(folder.path().string());
    WriteBytes(folder / "here.mp3", "x");
    WriteBytes(folder / "party.pls",
               "[playlist]\nFile1=here.mp3\nTitle1=Here\nFile2=gone.mp3\n"
               "File3=https://radio.example/live\n");
    dialog->Queue(dir + "/party.pls");
    ::testing::internal::CaptureStderr();
    form.asxToolbar2->button(1)->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !editor.intake().adding(); }, 30000));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("not added: " + folder.path().string() +
                        "/gone.mp3 (listed in party.pls): no such file"),
              std::string::npos)
        << said;
    EXPECT_EQ(form.List1->texts(), QStringList({"before.mp3", "Here", "live"}));
    EXPECT_EQ(played, QStringList{dir + "/here.mp3"});
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/before.mp3\r\n" + folder.path().string() +
                                                 "/here.mp3\r\nhttps://radio.example/live\r\n");

    editor.exporter().setDialog(std::make_unique<ChosenSaveFile>(dir + "/out.m3u8"));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.List1, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(folder / "out.m3u8"),
              "#EXTM3U\n#EXTINF:-1,before.mp3\n/m/before.mp3\n#EXTINF:-1,Here\n" +
                  folder.path().string() +
                  "/here.mp3\n#EXTINF:-1,live\nhttps://radio.example/live\n");
}

}  // namespace
}  // namespace kelto::playlist
