#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "app/PlayerApp.h"
#include "platform/MediaProbe.h"
#include "tests/desktop/DesktopRig.h"
#include "tests/support/fakes/RecordingMciPlatform.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::testing {
namespace {

// Every file is media, but the look at one chosen file waits until the test
// lets it go, as a slow disk would keep the adding at that file. Held or
// not, the window's thread must go on answering.
class HeldProbe : public platform::MediaProbe {
public:
    platform::MediaContent Examine(const std::string& /*path*/) const override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (++looks_ == holdAt_) {
            held_ = true;
            changed_.notify_all();
            // A ceiling, so that a failing test ends instead of hanging.
            changed_.wait_for(lock, std::chrono::minutes(2), [this] { return !held_; });
        }
        return {true, "audio/x-wav"};
    }
    // Holds the adding at the `look`th look from now.
    void HoldAt(int look) {
        const std::lock_guard<std::mutex> lock(mutex_);
        holdAt_ = looks_ + look;
    }
    bool Held() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return held_;
    }
    void Release() {
        const std::lock_guard<std::mutex> lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    mutable int looks_ = 0;
    mutable bool held_ = false;
    int holdAt_ = -1;
};

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A folder of 10,000 files given as on the command line, held at the 3,401st
// file: the window shows what it has and the count, the first file plays, the
// desktop's media controls answer (playerctl), nothing is saved yet; Escape
// ends the adding and the playlist is saved once. A second adding held the
// same way and a window closed in the middle keep what was found.
TEST(FolderIntakeTest, TenThousandFilesComeInWhileTheWindowAnswersEscapeStopsAndACloseKeeps) {
    TempFolder playlistFolder;
    TempFolder media;
    // Made in reverse, so the order found is not the order made.
    for (int i = 10000; i >= 1; --i) std::ofstream(media / (std::to_string(i) + ".wav")) << 'x';
    const QString folder = QString::fromStdString(media.path().string());
    PrivateBus bus;
    int saves = 0;
    const playlist::PlaylistFiles files(playlistFolder.path(),
                                        [&saves](const std::filesystem::path& changed) {
                                            if (changed.filename() == "pl2.txt") ++saves;
                                        });
    auto probe = std::make_unique<HeldProbe>();
    HeldProbe* held = probe.get();
    auto recording = std::make_unique<RecordingMciPlatform>();
    RecordingMciPlatform* platform = recording.get();
    app::PlayerApp app(std::move(recording), files, std::move(probe));
    app.EnableDesktop(bus.connection());
    app.Start();
    ui::Form1& form = app.form();
    playlist::PlaylistIntake& intake = app.editor().intake();

    held->HoldAt(3401);
    app.OpenFiles({folder});
    ASSERT_TRUE(WaitUntil([&] { return held->Held() && form.List1->count() == 3400; }))
        << form.List1->count();
    EXPECT_TRUE(intake.adding());
    EXPECT_EQ(intake.progressText(), "Adding 3,400 of 10,000");
    EXPECT_EQ(form.List1->text(0), "1.wav");
    EXPECT_EQ(form.List1->text(8), "9.wav");
    EXPECT_EQ(form.List1->text(9), "10.wav");
    EXPECT_EQ(form.List1->text(3399), "3400.wav");
    const std::string first = "open " + media.path().string() + "/1.wav type";
    bool opened = false;
    for (const std::string& command : platform->trimmedCommands())
        opened = opened || command.rfind(first, 0) == 0;
    EXPECT_TRUE(opened) << "the first entry found is played at once";
    const QString status = Playerctl(bus, {QStringLiteral("status")});
    EXPECT_FALSE(status.startsWith(QLatin1Char('<'))) << status.toStdString();
    EXPECT_EQ(saves, 0);

    QTest::keyClick(form.List1, Qt::Key_Escape);
    held->Release();
    ASSERT_TRUE(WaitUntil([&] { return !intake.adding(); }));
    // The file held when Escape came is the last one taken.
    EXPECT_EQ(form.List1->count(), 3401);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Lines(ReadBytes(playlistFolder / "pl2.txt")), 3401);

    held->HoldAt(500);
    app.OpenFiles({folder});
    ASSERT_TRUE(WaitUntil([&] { return held->Held() && form.List1->count() == 3401 + 499; }));
    held->Release();
    form.close();
    const int kept = form.List1->count();
    EXPECT_FALSE(intake.adding());
    EXPECT_GE(kept, 3401 + 500);
    EXPECT_LT(kept, 3401 + 10000);
    EXPECT_EQ(saves, 2) << "the closing window's save only";
    EXPECT_EQ(Lines(ReadBytes(playlistFolder / "pl2.txt")), kept);
}

}  // namespace
}  // namespace kelto::testing
