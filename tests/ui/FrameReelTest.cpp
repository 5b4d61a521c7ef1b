// The title strip as the X server shows it while the server plays a pass;
// runs on the X server the program starts.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "ui/PictureBox.h"
#include "ui/ScrollPass.h"
#include "ui/X11Connection.h"
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
        xcb_connection_t* connection = ToolkitXcbConnection();
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

    QWidget window;
    PictureBox* strip = nullptr;
};

// Pixels that are neither the strip's green nor black: some of the title.
bool HasInk(const std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        if (pixels[i] > 0x80) return true;  // blue
    }
    return false;
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
    QSignalSpy finished(pass, &ScrollPass::finished);
    int repaintedFrames = 0;
    QObject::connect(pass, &ScrollPass::frameDrawn, [&] { ++repaintedFrames; });
    // The pass is gone once it has finished; its count is taken as it ends.
    int drawnAtEnd = -1;
    QObject::connect(pass, &ScrollPass::finished, [&, pass] { drawnAtEnd = pass->framesDrawn(); });
    std::vector<int> seen;
    const auto sample = [&] {
        const std::vector<std::uint8_t> shown = Shown();
        const auto match = std::find(frames.begin(), frames.end(), shown);
        seen.push_back(match == frames.end() ? -1 : static_cast<int>(match - frames.begin()));
        return !finished.isEmpty();
    };
    ASSERT_TRUE(QTest::qWaitFor(sample, 120000));
    sample();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_GE(seen[i], 0) << "sample " << i << " is none of the frames";
        if (i > 0) {
            ASSERT_GE(seen[i], seen[i - 1]) << "sample " << i << " went back";
        }
    }
    EXPECT_EQ(seen.back(), count - 1);
    EXPECT_GT(std::set<int>(seen.begin(), seen.end()).size(), 3u);
    EXPECT_EQ(repaintedFrames, 0) << "the window's thread drew frames the server plays";
    EXPECT_EQ(drawnAtEnd, count);
}

// A strip that moves while the server plays its pass: the pass goes on from
// where the server had got to, each frame drawn by the window's thread, to
// its end.
TEST_F(ServerStrip, AStripMovedMidPassFinishesThePassFrameByFrame) {
    ScrollPass* pass = ScrollText(strip, QStringLiteral("Sixty"), 12, 1, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    std::vector<double> xs;
    QObject::connect(pass, &ScrollPass::frameDrawn, [&](double x) { xs.push_back(x); });
    QSignalSpy finished(pass, &ScrollPass::finished);
    int drawnAtEnd = -1;
    QObject::connect(pass, &ScrollPass::finished, [&, pass] { drawnAtEnd = pass->framesDrawn(); });
    const int frameCount = pass->frameCount();
    const double startX = pass->startX();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pass->framesDrawn() >= 10; }, 60000));
    EXPECT_TRUE(xs.empty()) << "the window's thread drew frames the server plays";
    strip->move(strip->pos() + QPoint(-4, 3));
    ASSERT_TRUE(finished.wait(60000) || !finished.isEmpty());
    ASSERT_FALSE(xs.empty());
    const auto first = static_cast<int>(std::lround((startX - xs.front()) / ScrollPass::kStep));
    EXPECT_GE(first, 10);
    ASSERT_EQ(static_cast<int>(xs.size()), frameCount - first);
    for (int i = first; i < frameCount; ++i) {
        ASSERT_DOUBLE_EQ(xs[static_cast<std::size_t>(i - first)], startX - ScrollPass::kStep * i)
            << i;
    }
    EXPECT_EQ(drawnAtEnd, frameCount);
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
