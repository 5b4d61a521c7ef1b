#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <string>

#include "app/PlayerApp.h"
#include "platform/widgets/ListBox.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/LoopbackRadio.h"

namespace kelto::app {
namespace {

constexpr int kStationCeilingMs = 30000;

// A station in the playlist, played by the program over the real service:
// the time counts what has played with no total, the slider stands still,
// the strip names the station's song, each new one as it comes, and a server
// that goes away is said as a file that would not open.
TEST(StationEndToEndTest, PlaysWithElapsedTimeAndTheSongOnTheStripUntilTheServerGoes) {
    testing::LoopbackRadio radio;
    radio.Announce("Band", "First Song");
    const testing::TempFolder folder;
    testing::WriteBytes(folder / "pl1.txt", "Loopback FM\r\n");
    testing::WriteBytes(folder / "pl2.txt", radio.Address() + "\r\n");
    PlayerApp app(PlayerApp::MakeServicePlatform(), playlist::PlaylistFiles(folder.path()));
    app.Start();
    ui::Form1& form = app.form();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.List1->setCurrentRow(0);
    app.playback().PlaySelected();
    ASSERT_EQ(form.state.lastResult, "Success") << form.state.playFailure;
    EXPECT_TRUE(form.state.liveStream);
    const int thumb = form.cpvSlider1->value();

    const QRegularExpression elapsedOnly(QStringLiteral("^0:0[2-9]$"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return elapsedOnly.match(form.lbcurrentime->text()).hasMatch(); }, kStationCeilingMs))
        << form.lbcurrentime->text().toStdString();
    EXPECT_EQ(form.cpvSlider1->value(), thumb);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form.stripNotice().contains(QStringLiteral("First Song")); },
                        kStationCeilingMs))
        << form.stripNotice().toStdString();
    radio.Announce("Band", "Second Song");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return form.stripNotice().contains(QStringLiteral("Second Song")); },
                        kStationCeilingMs))
        << form.stripNotice().toStdString();
    // The playlist keeps the entry's own title.
    EXPECT_EQ(form.List1->text(0), QStringLiteral("Loopback FM"));

    radio.StopServer();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !form.state.playFailure.empty(); }, kStationCeilingMs));
    EXPECT_EQ(form.state.playFailure.rfind("The station stopped sending", 0), 0U)
        << form.state.playFailure;
    EXPECT_TRUE(form.stripNotice().startsWith(QStringLiteral("Loopback FM: The station")))
        << form.stripNotice().toStdString();
    EXPECT_FALSE(form.TimerMisc->isActive());
    EXPECT_EQ(form.lbcurrentime->text(), QString());
}

}  // namespace
}  // namespace kelto::app
