#include "app/PlayerApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fakes/RecordingMciPlatform.h"
#include "tests/support/fakes/ScriptedDialog.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/TestClips.h"

namespace kelto::app {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::RecordingMciPlatform;
using kelto::testing::Reply;
using kelto::testing::ScriptedDialog;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

constexpr int kDeadlineMs = 5000;

// A device that answers like a 10-second clip at 25 frames per second whose
// position the test moves.
struct FakeClip {
    bool countsFrames = true;
    int positionFrames = 0;

    std::optional<Reply> Answer(const std::string& command) {
        if (command == "set movie time format frames") countsFrames = true;
        if (command == "set movie time format ms") countsFrames = false;
        if (command == "status movie length") return Reply::ok(countsFrames ? "250" : "10000");
        if (command == "status movie position") {
            return Reply::ok(std::to_string(countsFrames ? positionFrames : positionFrames * 40));
        }
        if (command == "Where movie destination") return Reply::ok("0 0 320 240");
        if (command == "status movie speed") return Reply::ok("1000");
        return std::nullopt;
    }
};

class AppWiringTest : public ::testing::Test {
protected:
    AppWiringTest() {
        WriteBytes(folder / "pl1.txt", "a.mp3\r\nb, c.wav\r\nd.avi\r\n");
        WriteBytes(folder / "pl2.txt", "/m/a.mp3\r\n/m/b, c.wav\r\n/m/d.avi\r\n");
        auto recording = std::make_unique<RecordingMciPlatform>();
        platform = recording.get();
        platform->setHook([this](const std::string& command) { return clip.Answer(command); });
        app = std::make_unique<PlayerApp>(std::move(recording),
                                          playlist::PlaylistFiles(folder.path()));
        auto scripted = std::make_unique<ScriptedDialog>();
        dialog = scripted.get();
        form().setCommonDialog(std::move(scripted));
        app->Start();
    }

    ui::Form1& form() { return app->form(); }

    // The open command sent for `path`, if any, after `from` commands.
    bool Opened(const std::string& path, std::size_t from = 0) const {
        const std::vector<std::string> sent = platform->trimmedCommands();
        return std::any_of(
            sent.begin() + static_cast<std::ptrdiff_t>(from), sent.end(),
            [&](const std::string& c) { return c.rfind("open " + path + " type", 0) == 0; });
    }

    void DoubleClickRow(int row) {
        QWidget* viewport = form().List1->viewport();
        const QPoint at = form().List1->visualItemRect(row).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    }

    TempFolder folder;
    FakeClip clip;
    RecordingMciPlatform* platform = nullptr;
    ScriptedDialog* dialog = nullptr;
    std::unique_ptr<PlayerApp> app;
};

TEST_F(AppWiringTest, StartReadsThePlaylistAndPlaysNothing) {
    EXPECT_TRUE(form().isVisible());
    ASSERT_EQ(form().List1->count(), 3);
    EXPECT_EQ(form().List1->text(1), "b, c.wav");
    EXPECT_EQ(form().List2->text(1), "/m/b, c.wav");
    EXPECT_EQ(form().List1->currentRow(), -1);
    EXPECT_TRUE(platform->commands().empty());
}

TEST_F(AppWiringTest, DoubleClickAndPlayButtonOpenTheSelectedPath) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
    DoubleClickRow(1);
    EXPECT_EQ(form().List2->currentRow(), 1);
    ASSERT_TRUE(Opened("/m/b, c.wav"));
    EXPECT_EQ(platform->trimmedCommands().front(), "Close All");
    EXPECT_EQ(form().LbResult->text(), "Result calling Function is : Success");
    EXPECT_TRUE(form().TimerMisc->isActive());

    const std::size_t before = platform->commands().size();
    form().List1->setCurrentRow(2);
    form().asxToolbar1->button(1)->click();
    EXPECT_TRUE(Opened("/m/d.avi", before));
}

TEST_F(AppWiringTest, PlaylistBarEditsAndSaves) {
    TempFolder media;
    const auto chosen = media / "new one.mid";
    std::filesystem::copy_file(
        testing::MakeClip(testing::ClipKind::Midi, testing::DefaultClipDir()), chosen);
    dialog->Queue(QString::fromStdString(chosen.string()));
    form().asxToolbar2->button(1)->click();
    EXPECT_EQ(form().List1->count(), 4);
    EXPECT_EQ(form().List2->currentRow(), 3);
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "a.mp3\r\nb, c.wav\r\nd.avi\r\nnew one.mid\r\n");
    form().asxToolbar2->button(3)->click();
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "");
}

TEST_F(AppWiringTest, TransportKeysAndSliderReachTheDevice) {
    form().List1->setCurrentRow(0);
    form().asxToolbar1->button(1)->click();
    platform->clear();

    emit form().txtfullKeyDown(113, 0);  // F2
    form().asxToolbar1->button(4)->click();
    // The slider spans the 10 s file: step 4 is 8 s in.
    form().cpvSlider1->setValue(4);
    emit form().cpvSlider1->Change();
    form().asxToolbar1->button(3)->click();
    EXPECT_EQ(platform->trimmedCommands(),
              (std::vector<std::string>{"Pause movie", "set movie speed 400", "seek movie to 200",
                                        "Play movie", "Stop movie"}));
    EXPECT_TRUE(form().asxToolbar1->ButtonChecked(4));
    EXPECT_FALSE(form().asxToolbar1->ButtonChecked(2));
}

TEST_F(AppWiringTest, TimersShowProgressAndAdvanceAtTheEnd) {
    form().List1->setCurrentRow(0);
    form().asxToolbar1->button(1)->click();
    clip.positionFrames = 125;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().LbProgress->text() == "50 %"; }, kDeadlineMs));
    EXPECT_EQ(form().lbcurrentime->text(), "0:05 / 0:10");
    EXPECT_EQ(form().Meter31->Value(), 25);

    const std::size_t before = platform->commands().size();
    clip.positionFrames = 250;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form().List1->currentRow() == 1; }, kDeadlineMs));
    EXPECT_EQ(form().List2->currentRow(), 1);
    EXPECT_TRUE(Opened("/m/b, c.wav", before));
}

TEST_F(AppWiringTest, CloseBarShutsDownThenWritesBothFiles) {
    form().List1->setCurrentRow(0);
    form().asxToolbar1->button(1)->click();
    std::filesystem::remove(folder / "pl1.txt");
    std::filesystem::remove(folder / "pl2.txt");

    form().asxToolbar3->button(1)->click();
    EXPECT_FALSE(form().isVisible());
    EXPECT_FALSE(form().TimerMisc->isActive());
    EXPECT_FALSE(form().TimerAtEndFile->isActive());
    EXPECT_EQ(platform->trimmedCommands().back(), "Close All");
    EXPECT_EQ(ReadBytes(folder / "pl1.txt"), "a.mp3\r\nb, c.wav\r\nd.avi\r\n");
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), "/m/a.mp3\r\n/m/b, c.wav\r\n/m/d.avi\r\n");
}

}  // namespace
}  // namespace kelto::app

namespace kelto::app {
namespace {

// A drag over `on` and, if the window takes it there, the drop: what the
// window system delivers when the user lets go over that control.
bool Drop(QMimeData& data, QWidget* on) {
    const QPoint at = on->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(on, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(on, &drop);
    return drop.isAccepted();
}

// Files reach the playlist from outside the dialog: dropped on the list or the
// video area, with folders opened up; what the playlist files cannot hold is
// refused on every road, the dialog's too.
TEST_F(AppWiringTest, DroppedFilesAndFoldersJoinThePlaylistAndBadNamesNeverDo) {
    TempFolder media;
    std::filesystem::create_directories(media / "album" / "disc 2");
    const auto clips = testing::DefaultClipDir();
    const std::string mp3 = ReadBytes(testing::MakeClip(testing::ClipKind::Mp3, clips));
    const std::string wav = ReadBytes(testing::MakeClip(testing::ClipKind::Wav, clips));
    const std::string webm = ReadBytes(testing::MakeClip(testing::ClipKind::WebM, clips));
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"album/track 10.mp3", mp3},
             {"album/track 9.MP3", mp3},
             {"album/notes.mp3", "liner notes, not a song\n"},
             {"album/disc 2/intro.wav", wav},
             {"single.webm", webm},
             {"two\nlines.mp3", mp3},
             {"song.mp3", "la la la\n"},
             {"empty.ogg", ""}}) {
        WriteBytes(media / name, bytes);
    }
    QImage(8, 8, QImage::Format_RGB32)
        .save(QString::fromStdString((media / "cover.mp3").string()), "PNG");
    const auto url = [&](const std::string& name) {
        return QUrl::fromLocalFile(QString::fromStdString((media / name).string()));
    };

    // The folder comes in while the event loop runs; the end-of-media poll,
    // which the fake clip would answer with "at the end" and so play the next
    // entry, has no part in what a drop does.
    form().TimerAtEndFile->stop();

    // Text and addresses other than the web's are not taken, on the list or
    // the video area.
    QMimeData text;
    text.setText("/m/not-a-drop.mp3");
    EXPECT_FALSE(Drop(text, form().Picture1));
    QMimeData remote;
    remote.setUrls({QUrl("ftp://example.org/a.mp3")});
    EXPECT_FALSE(Drop(remote, form().List1->viewport()));
    EXPECT_EQ(form().List1->count(), 3);

    // Media by content joins, and web addresses as they are; what is not media
    // is named, one line each, with why; inside a folder it is passed over in
    // silence. A folder's files come while the window goes on.
    QMimeData files;
    files.setUrls({url("album"), QUrl("http://example.org/b.mp3"), url("single.webm"),
                   url("two\nlines.mp3"), url("song.mp3"), url("cover.mp3"), url("empty.ogg")});
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(Drop(files, form().List1->viewport()));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !app->editor().intake().adding(); }, 30000));
    const std::string refused = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(refused.begin(), refused.end(), '\n'), 4) << refused;
    EXPECT_NE(refused.find("two\\nlines.mp3: its name has a line break"), std::string::npos)
        << refused;
    EXPECT_NE(refused.find("song.mp3: not a media file"), std::string::npos) << refused;
    EXPECT_NE(refused.find("cover.mp3: not a media file (its content is image/png)"),
              std::string::npos)
        << refused;
    EXPECT_NE(refused.find("empty.ogg: not a media file (it is empty)"), std::string::npos)
        << refused;

    EXPECT_EQ(form().List1->texts(),
              QStringList({"a.mp3", "b, c.wav", "d.avi", "intro.wav", "track 9.MP3", "track 10.mp3",
                           "b.mp3", "single.webm"}));
    EXPECT_EQ(form().List1->currentRow(), 7);
    // On the video area as on the list.
    QMimeData again;
    again.setUrls({url("single.webm")});
    EXPECT_TRUE(Drop(again, form().Picture1));
    EXPECT_EQ(form().List1->count(), 9);
    const std::string root = media.path().string();
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"),
              "/m/a.mp3\r\n/m/b, c.wav\r\n/m/d.avi\r\n" + root + "/album/disc 2/intro.wav\r\n" +
                  root + "/album/track 9.MP3\r\n" + root +
                  "/album/track 10.mp3\r\nhttp://example.org/b.mp3\r\n" + root +
                  "/single.webm\r\n" + root + "/single.webm\r\n");
    EXPECT_TRUE(platform->commands().empty());

    // The dialog's road: such a name is refused too, and nothing is saved.
    const std::string saved = ReadBytes(folder / "pl2.txt");
    dialog->Queue(QString::fromStdString((media / "two\nlines.mp3").string()));
    ::testing::internal::CaptureStderr();
    form().asxToolbar2->button(1)->click();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("line break"), std::string::npos);
    EXPECT_EQ(form().List1->count(), 9);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), saved);
    // And so is a file that is not media, which the dialog's "All files" offers.
    dialog->Queue(QString::fromStdString((media / "song.mp3").string()));
    ::testing::internal::CaptureStderr();
    form().asxToolbar2->button(1)->click();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("song.mp3: not a media file"),
              std::string::npos);
    EXPECT_EQ(form().List1->count(), 9);
    EXPECT_EQ(ReadBytes(folder / "pl2.txt"), saved);
}

}  // namespace
}  // namespace kelto::app
