// The title strip as the X server shows it while the server plays a pass;
// runs on an X server of its own, which the offscreen platform is not.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ui/PictureBox.h"
#include "ui/basScroller.h"

namespace kelto::ui {
namespace {

const QColor kBlue(0, 0, 255);

class ServerStrip : public ::testing::Test {
protected:
    void SetUp() override {
        window.setGeometry(0, 0, 460, 200);
        strip = new PictureBox(&window);
        strip->setGeometry(224, 49, 232, 35);
        strip->setBackColor(QColor(0, 255, 0));
        strip->setBorder(true);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 60000));
        // A pass sets the strip's font and colour, which stay.
        ASSERT_NE(ScrollText(strip, QStringLiteral("x"), 12, 3, 0.1, kBlue), nullptr);
        StopScrolling(strip);
    }

    // What the server shows in the strip's drawing area, top to bottom in its
    // own B G R X words.
    std::vector<std::uint8_t> Shown() const {
        const int scale = static_cast<int>(strip->devicePixelRatioF());
        const QRect area = strip->drawingArea();
        const QPoint at = strip->mapTo(&window, area.topLeft()) * scale;
        xcb_connection_t* connection =
            qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        const xcb_get_image_cookie_t cookie = xcb_get_image(
            connection, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<std::uint32_t>(window.winId()),
            static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()),
            static_cast<std::uint16_t>(area.width() * scale),
            static_cast<std::uint16_t>(area.height() * scale), 0xffffffff);
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
            xcb_get_image_reply(connection, cookie, nullptr), &std::free);
        if (!reply) return {};
        const std::uint8_t* data = xcb_get_image_data(reply.get());
        return {data, data + xcb_get_image_data_length(reply.get())};
    }

    // Every frame of a pass of `title` as the toolkit paints it on the screen.
    std::vector<std::vector<std::uint8_t>> PaintedFrames(const QString& title, int count) {
        std::vector<QString> characters;
        for (const QChar c : title) characters.emplace_back(c);
        std::vector<std::vector<std::uint8_t>> frames;
        const double startX = std::floor(strip->scaleWidth());
        for (int i = 0; i < count; ++i) {
            ScrollPass::DrawFrame(*strip, characters, startX - ScrollPass::kStep * i, 0.1);
            strip->repaint();
            frames.push_back(Shown());
        }
        return frames;
    }

    // Which of `frames` the strip shows, sampled until `pass` finishes; -1
    // for a sample that is none of them. `drawnAtEnd` is the pass's count as
    // it finishes, for it is gone after; `repainted` counts the frames the
    // window's thread drew.
    std::vector<int> SampleToTheEnd(ScrollPass* pass,
                                    const std::vector<std::vector<std::uint8_t>>& frames) {
        QSignalSpy finished(pass, &ScrollPass::finished);
        QObject::connect(pass, &ScrollPass::frameDrawn, [this] { ++repainted; });
        QObject::connect(pass, &ScrollPass::finished,
                         [this, pass] { drawnAtEnd = pass->framesDrawn(); });
        std::vector<int> seen;
        const auto sample = [&] {
            const std::vector<std::uint8_t> shown = Shown();
            const auto match = std::find(frames.begin(), frames.end(), shown);
            seen.push_back(match == frames.end() ? -1 : static_cast<int>(match - frames.begin()));
            return !finished.isEmpty();
        };
        EXPECT_TRUE(QTest::qWaitFor(sample, 120000));
        sample();
        return seen;
    }

    QWidget window;
    int repainted = 0;
    int drawnAtEnd = -1;
    PictureBox* strip = nullptr;
};

// Pixels that are neither the strip's green nor black: some of the title.
bool HasInk(const std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        if (pixels[i] > 0x80) return true;  // blue
    }
    return false;
}

// Samples that are each one of the frames, later ones as time goes on,
// several of them, ending on the last of `count`.
void ExpectFramesInOrder(std::vector<int>::const_iterator from,
                         std::vector<int>::const_iterator end, int count) {
    for (auto it = from; it != end; ++it) {
        ASSERT_GE(*it, 0) << "sample " << it - from << " is none of the frames";
        if (it != from) {
            ASSERT_GE(*it, *(it - 1)) << "sample " << it - from << " went back";
        }
    }
    EXPECT_EQ(*(end - 1), count - 1);
    EXPECT_GT(std::set<int>(from, end).size(), 3u);
}

// While the server plays a pass, what the strip shows at any moment is one of
// its frames exactly as the toolkit paints it, later ones as time goes on,
// until the pass ends on its last; nothing in the program draws a frame.
TEST_F(ServerStrip, EverySampleOfAPassIsTheToolkitsFrameAndTheyComeInOrder) {
    const QString title = QStringLiteral("Kelto \u00e9t\u00e9 Wq|gy_ 12");
    ScrollPass* probe = ScrollText(strip, title, 12, 3, 0.1, kBlue);
    ASSERT_NE(probe, nullptr);
    const int count = probe->frameCount();
    StopScrolling(strip);
    const std::vector<std::vector<std::uint8_t>> frames = PaintedFrames(title, count);
    ASSERT_FALSE(frames.front().empty());
    EXPECT_GT(std::count_if(frames.begin(), frames.end(), HasInk), count / 2);
    // The strip shows the first frame before the pass starts again.
    PaintedFrames(title, 1);

    ScrollPass* pass = ScrollText(strip, title, 12, 3, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    const std::vector<int> seen = SampleToTheEnd(pass, frames);
    ExpectFramesInOrder(seen.begin(), seen.end(), count);
    EXPECT_EQ(repainted, 0) << "the window's thread drew frames the server plays";
    EXPECT_EQ(drawnAtEnd, count);
}

// A strip that moves while the server plays its pass: the server goes on
// from the frame it had got to, where the strip now stands, to the end.
TEST_F(ServerStrip, AStripMovedMidPassGoesOnWhereItNowStands) {
    const QString title = QStringLiteral("Sixty");
    ScrollPass* probe = ScrollText(strip, title, 12, 5, 0.1, kBlue);
    ASSERT_NE(probe, nullptr);
    const int count = probe->frameCount();
    StopScrolling(strip);
    const std::vector<std::vector<std::uint8_t>> frames = PaintedFrames(title, count);
    PaintedFrames(title, 1);

    ScrollPass* pass = ScrollText(strip, title, 12, 5, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pass->framesDrawn() >= 10; }, 60000));
    strip->move(strip->pos() + QPoint(-4, 3));
    const std::vector<int> seen = SampleToTheEnd(pass, frames);
    // Until the toolkit has painted the strip at its new place, that place
    // shows what was there before.
    const auto from = std::find_if(seen.begin(), seen.end(), [](int s) { return s >= 0; });
    ASSERT_NE(from, seen.end());
    EXPECT_GE(*from, 9);
    ExpectFramesInOrder(from, seen.end(), count);
    EXPECT_EQ(repainted, 0) << "the window's thread drew frames the server plays";
    EXPECT_EQ(drawnAtEnd, count);
}

// A strip hidden mid-pass shows nothing more of it, while the pass keeps its
// time to the end.
TEST_F(ServerStrip, AStripHiddenMidPassShowsNothingAndThePassKeepsTime) {
    window.setPalette(QPalette(QColor(0, 0, 0)));  // no ink where the strip was
    ScrollPass* pass = ScrollText(strip, QStringLiteral("Kelto Sound of Sixty"), 12, 3, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    const int count = pass->frameCount();
    QSignalSpy finished(pass, &ScrollPass::finished);
    QObject::connect(pass, &ScrollPass::finished, [&] { drawnAtEnd = pass->framesDrawn(); });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return pass->framesDrawn() >= 8 && HasInk(Shown()); }, 60000));
    strip->hide();
    // Once the window has painted over the strip's place, nothing lands there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !HasInk(Shown()); }, 60000));
    int inked = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            inked += HasInk(Shown()) ? 1 : 0;
            return !finished.isEmpty();
        },
        120000));
    EXPECT_EQ(inked, 0);
    EXPECT_EQ(drawnAtEnd, count);
}

// A pass the window stops (as it does when it closes) draws nothing more:
// the copies the server still holds go through without touching the strip,
// which keeps the frame the server had got to.
TEST_F(ServerStrip, AStoppedPassDrawsNothingMore) {
    ScrollPass* pass = ScrollText(strip, QStringLiteral("Kelto Sound of Sixty"), 12, 3, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    // Well into the strip on the server, however far behind a busy server runs.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return pass->framesDrawn() >= 8 && HasInk(Shown()); }, 60000));
    // What shows from here on is the server's doing, not the toolkit's.
    strip->setUpdatesEnabled(false);
    StopScrolling(strip);
    EXPECT_EQ(RunningPass(strip), nullptr);
    const std::vector<std::uint8_t> stopped = Shown();
    ASSERT_TRUE(HasInk(stopped));
    QTest::qWait(300);
    EXPECT_TRUE(Shown() == stopped);
}

}  // namespace
}  // namespace kelto::ui

// Starts Xvfb on a display number it picks itself and stops it at the end.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    int ready[2];
    if (pipe(ready) != 0) return 1;
    const pid_t server = fork();
    if (server == 0) {
        // A test that aborts (a sanitizer's report) must not leave its server
        // holding the runner's output open.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 60000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        return 1;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int status = 0;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return status;
}
