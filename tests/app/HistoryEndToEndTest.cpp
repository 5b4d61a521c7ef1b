#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "app/PlayerApp.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/TestClips.h"

namespace kelto::app {
namespace {

using kelto::testing::ClipKind;
using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

constexpr int kCeilingMs = 20000;

// The program over the real media service, its history a real SQLite file in
// a folder of the test's own, started again as a person would start it.
class HistoryEndToEndTest : public ::testing::Test {
protected:
    void Start() {
        app.reset();
        app = std::make_unique<PlayerApp>(PlayerApp::MakeServicePlatform(),
                                          playlist::PlaylistFiles(folder.path()));
        app->EnableHistory(StateFolder());
        app->Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->form()));
    }
    QString StateFolder() const {
        return QString::fromStdString((folder / "state").string()) + "/kelto-player";
    }
    void PlayFirst() {
        platform::ListBox* list = app->form().List1;
        const QPoint at = list->visualItemRect(0).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        ASSERT_EQ(app->form().LbResult->text(), "Result calling Function is : Success");
    }
    // The history has answered about the file just started.
    void Settle() {
        ASSERT_TRUE(app->history()->Drain(kCeilingMs));
        QCoreApplication::processEvents();
    }
    std::int32_t PositionMs() { return app->media().GetPositionMs("movie"); }
    // The slider's own seek: two seconds a step.
    void SeekTo(int step) {
        app->form().cpvSlider1->setValue(step);
        app->playback().cpvSlider1_Change();
    }
    void Close() {
        app->form().close();
        app.reset();
    }

    TempFolder folder;
    std::unique_ptr<PlayerApp> app;
};

TEST_F(HistoryEndToEndTest, AFileLeftInsideIsOfferedAfterARestartAndOneSeenToItsEndIsNot) {
    const auto clip = testing::MakeClip(ClipKind::Wav, testing::DefaultClipDir(), 40000);
    WriteBytes(folder / "pl1.txt", "long.wav\r\n");
    WriteBytes(folder / "pl2.txt", clip.string() + "\r\n");
    // Yesterday's history was damaged: it costs nothing but the memory.
    std::filesystem::create_directories(StateFolder().toStdString());
    WriteBytes(StateFolder().toStdString() + "/history.sqlite", std::string(4096, '\x7f'));

    ::testing::internal::CaptureStderr();
    Start();
    PlayFirst();
    Settle();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("history.sqlite.damaged"), std::string::npos) << said;
    EXPECT_FALSE(app->memory()->offering());
    SeekTo(16);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PositionMs() >= 32000; }, kCeilingMs));
    Close();

    // Started again: the entry plays from its beginning, with the offer.
    Start();
    PlayFirst();
    EXPECT_LT(PositionMs(), 30000);
    Settle();
    ASSERT_TRUE(app->memory()->offering());
    EXPECT_EQ(app->form().stripNotice(), "Continue from 0:32? Press R");
    QTest::keyClick(app->form().List1, Qt::Key_R);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PositionMs() >= 32000; }, kCeilingMs));
    EXPECT_LT(PositionMs(), 38000);

    // Seen to its end, then closed there: forgotten.
    SeekTo(19);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app->form().TimerMisc->isActive(); }, kCeilingMs));
    Close();
    Start();
    PlayFirst();
    Settle();
    EXPECT_FALSE(app->memory()->offering());
    Close();
}

}  // namespace
}  // namespace kelto::app
