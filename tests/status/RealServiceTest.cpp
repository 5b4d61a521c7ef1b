#include <gtest/gtest.h>

#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <functional>

#include "mci/ModuleMultimedia.h"
#include "mciservice/ServicePlatform.h"
#include "platform/widgets/NativeWindowRect.h"
#include "player/PlaybackControl.h"
#include "status/EndOfMedia.h"
#include "status/StatusRefresh.h"
#include "tests/support/media/TestClips.h"
#include "ui/Form1.h"

namespace kelto::testing {
namespace {

// The real service, counting the opens it is asked for.
class CountingServicePlatform : public mciservice::ServicePlatform {
public:
    CountingServicePlatform() : ServicePlatform(platform::NativeWindowRect) {}
    std::uint32_t mciSendStringA(const std::string& command, char* reply, std::uint32_t length,
                                 std::int32_t callbackWindow) override {
        if (command.rfind("open ", 0) == 0) ++opens;
        return ServicePlatform::mciSendStringA(command, reply, length, callbackWindow);
    }
    int opens = 0;
};

// The window with its timers driving the real service, as the program wires it.
struct RealPlayer {
    RealPlayer() {
        QObject::connect(form.TimerMisc, &QTimer::timeout, [this] { refresh.TimerMisc_Timer(); });
        QObject::connect(form.TimerAtEndFile, &QTimer::timeout,
                         [this] { endOfMedia.TimerAtEndFile_Timer(); });
        for (const auto& clip : {MakeClip(ClipKind::Mpeg1, DefaultClipDir(), 1500),
                                 MakeClip(ClipKind::Wav, DefaultClipDir(), 1000)}) {
            form.List1->addItem(QString::fromStdString(clip.filename().string()));
            form.List2->addItem(QString::fromStdString(clip.string()));
        }
        form.List1->setCurrentRow(0);
        form.List2->setCurrentRow(0);
    }
    // Runs the event loop until `done` holds or a generous ceiling has passed.
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline) QTest::qWait(20);
        return done();
    }

    CountingServicePlatform service;
    mci::ModuleMultimedia mm{service};
    ui::Form1 form;
    player::PlaybackControl playback{form, mm};
    status::StatusRefresh refresh{form, mm};
    status::EndOfMedia endOfMedia{form, mm, playback};
};

const std::string kSuccess = "Result calling Function is : Success";

std::string Result(const ui::Form1& form) { return form.LbResult->text().toStdString(); }

TEST(RealService, PlaysTheFirstClipToItsEndThenTheSecond) {
    RealPlayer player;
    QSet<QString> times;
    QSet<int> levels;
    QObject::connect(player.form.TimerMisc, &QTimer::timeout, [&] {
        if (player.form.List1->currentRow() != 0) return;
        times.insert(player.form.lbcurrentime->text());
        levels.insert(player.form.Meter31->Value());
    });

    player.playback.PlaySelected();
    ASSERT_EQ(Result(player.form), kSuccess);
    EXPECT_EQ(player.form.LbFramesPerSecond->text(), "25");

    ASSERT_TRUE(player.RunUntil([&] { return player.form.List1->currentRow() == 1; }));
    EXPECT_EQ(player.form.List2->currentRow(), 1);
    EXPECT_EQ(Result(player.form), kSuccess);
    EXPECT_EQ(player.service.opens, 2);
    EXPECT_TRUE(player.form.TimerMisc->isActive());
    EXPECT_GE(times.size(), 2) << "the time label did not move";
    EXPECT_GE(levels.size(), 2) << "the meter did not move";

    // The last entry ends and nothing follows.
    ASSERT_TRUE(player.RunUntil([&] { return !player.form.TimerMisc->isActive(); }));
    // Two more end-of-media ticks: each would have moved on had it seen a next entry.
    QSignalSpy endTicks(player.form.TimerAtEndFile, &QTimer::timeout);
    ASSERT_TRUE(player.RunUntil([&] { return endTicks.size() >= 2; }));
    EXPECT_EQ(player.service.opens, 2);
    EXPECT_EQ(player.form.List1->currentRow(), 1);
}

TEST(RealService, AutoReplayRestartsTheSameEntry) {
    RealPlayer player;
    player.form.Check->setChecked(true);
    player.playback.PlaySelected();
    ASSERT_EQ(Result(player.form), kSuccess);

    ASSERT_TRUE(player.RunUntil([&] { return player.service.opens == 2; }))
        << player.service.opens << " opens, " << Result(player.form) << ", at "
        << player.form.lbcurrentime->text().toStdString();
    EXPECT_EQ(player.form.List1->currentRow(), 0);
    EXPECT_EQ(Result(player.form), kSuccess);
    EXPECT_TRUE(player.form.TimerMisc->isActive());
}

}  // namespace
}  // namespace kelto::testing
