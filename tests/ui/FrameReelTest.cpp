// The title strip's frames as the X server shows them, copied from the reel
// or painted by the toolkit; runs on the X server the program starts.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "ui/FrameReel.h"
#include "ui/PictureBox.h"
#include "ui/ScrollPass.h"
#include "ui/X11Connection.h"
#include "ui/basScroller.h"

namespace kelto::ui {
namespace {

const QColor kBlue(0, 0, 255);

// What the server holds in `target`'s rectangle of its window.
std::vector<std::uint8_t> ServerPixels(const FrameReel::Target& target, QSize size) {
    xcb_connection_t* connection = ToolkitXcbConnection();
    const xcb_get_image_cookie_t cookie = xcb_get_image(
        connection, XCB_IMAGE_FORMAT_Z_PIXMAP, target.window,
        static_cast<std::int16_t>(target.topLeft.x()),
        static_cast<std::int16_t>(target.topLeft.y()), static_cast<std::uint16_t>(size.width()),
        static_cast<std::uint16_t>(size.height()), 0xffffffff);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection, cookie, nullptr), &std::free);
    if (!reply) return {};
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    return {data, data + xcb_get_image_data_length(reply.get())};
}

// Pixels that are neither the strip's green nor black: some of the title.
int InkPixels(const std::vector<std::uint8_t>& pixels) {
    int ink = 0;
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        if (pixels[i] > 0x80) ++ink;  // blue, in the server's B G R X order
    }
    return ink;
}

class ReelStrip : public ::testing::Test {
protected:
    void SetUp() override {
        window.setGeometry(0, 0, 460, 200);
        strip = new PictureBox(&window);
        strip->setGeometry(224, 49, 232, 35);
        strip->setBackColor(QColor(0, 255, 0));
        strip->setBorder(true);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 60000));
    }

    // A pass of `title` sets the strip's font and colour and leaves its frames
    // behind; the reel and where it draws are then looked up as a pass would.
    void LeaveFramesOf(const QString& title) {
        ASSERT_NE(ScrollText(strip, title, 12, 3, 0.1, kBlue), nullptr);
        StopScrolling(strip);
        plan = ScrollPass::PlanFor(*strip, title);
        reel = ScrollPass::ReelFor(*strip, plan, 0.1);
        ASSERT_NE(reel, nullptr) << "no reel on an X server that takes the toolkit's pixels";
        target = ScrollPass::ReelTarget(*strip);
        ASSERT_TRUE(target);
    }

    QWidget window;
    PictureBox* strip = nullptr;
    ScrollPass::Plan plan;
    std::shared_ptr<FrameReel> reel;
    std::optional<FrameReel::Target> target;
};

// Every frame of a pass, copied from the reel, against the same frame as the
// toolkit paints it: the two must be the same pixels on the screen.
TEST_F(ReelStrip, EveryFrameFromTheServerIsThePictureTheToolkitPaints) {
    ASSERT_NO_FATAL_FAILURE(LeaveFramesOf(QStringLiteral("Kelto \u00e9t\u00e9 Wq|gy_ 12")));
    EXPECT_EQ(ScrollPass::ReelFor(*strip, plan, 0.1), reel) << "the next pass of a title redraws";
    ASSERT_EQ(reel->count(), plan.frameCount);

    int framesWithInk = 0;
    for (int i = 0; i < plan.frameCount; ++i) {
        reel->Show(i, *target);
        const std::vector<std::uint8_t> fromReel = ServerPixels(*target, reel->size());
        ScrollPass::DrawFrame(*strip, plan.characters, plan.startX - ScrollPass::kStep * i, 0.1);
        strip->repaint();
        const std::vector<std::uint8_t> painted = ServerPixels(*target, reel->size());
        ASSERT_FALSE(painted.empty());
        ASSERT_TRUE(fromReel == painted) << "frame " << i << " of " << plan.frameCount;
        if (InkPixels(painted) > 0) ++framesWithInk;
    }
    // The title crosses the strip: most frames show some of it.
    EXPECT_GT(framesWithInk, plan.frameCount / 2);
}

// A strip that moves while its pass plays from the reel: the pass goes on
// where it stopped, drawing each frame itself, to its end. Listened to from
// its start, every frame is reported once, in order; paced by the server,
// with a listener only later, the frames after the move carry on from where
// the server had got to.
TEST_F(ReelStrip, AStripMovedMidPassFinishesThePassFrameByFrame) {
    // The strip's font and colour as a pass leaves them.
    ASSERT_NE(ScrollText(strip, QStringLiteral("Sixty"), 12, 1, 0.1, kBlue), nullptr);
    StopScrolling(strip);
    for (const bool listenFromStart : {true, false}) {
        SCOPED_TRACE(listenFromStart ? "listened to from the start" : "paced by the server");
        auto* pass = new ScrollPass(strip, QStringLiteral("Sixty"), 1, 0.1);
        std::vector<double> xs;
        const auto listen = [&] {
            QObject::connect(pass, &ScrollPass::frameDrawn, [&](double x) { xs.push_back(x); });
        };
        if (listenFromStart) listen();
        QSignalSpy finished(pass, &ScrollPass::finished);
        pass->start();
        if (!listenFromStart) listen();
        const int frameCount = pass->frameCount();
        const double startX = pass->startX();
        ASSERT_TRUE(QTest::qWaitFor([&] { return pass->framesDrawn() >= 10; }, 60000));
        strip->move(strip->pos() + QPoint(-4, 3));
        ASSERT_TRUE(finished.wait(60000) || !finished.isEmpty());
        ASSERT_FALSE(xs.empty());
        const auto first = static_cast<int>(std::lround((startX - xs.front()) / ScrollPass::kStep));
        if (listenFromStart) {
            EXPECT_EQ(first, 0);
        } else {
            EXPECT_GE(first, 10);
        }
        ASSERT_EQ(static_cast<int>(xs.size()), frameCount - first);
        for (int i = first; i < frameCount; ++i) {
            ASSERT_DOUBLE_EQ(xs[static_cast<std::size_t>(i - first)],
                             startX - ScrollPass::kStep * i)
                << i;
        }
        EXPECT_EQ(pass->framesDrawn(), frameCount);
    }
}

// The server's pixels as the toolkit's opaque 32-bit image.
QImage AsImage(const std::vector<std::uint8_t>& pixels, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * size.width() + x) * 4;
            line[x] = qRgb(pixels[at + 2], pixels[at + 1], pixels[at]);
        }
    }
    return image;
}

// With nobody listening for frames the server paces the pass: what the
// strip shows at any moment is one of its frames, later ones as time goes
// on, until the pass ends on its last.
TEST_F(ReelStrip, TheServerPacesAPassNobodyListensToFrameAfterFrame) {
    const QString title = QStringLiteral("Kelto Sound of Sixty");
    ASSERT_NO_FATAL_FAILURE(LeaveFramesOf(title));
    if (!reel->ServerPaced()) GTEST_SKIP() << "the X server has no synchronisation extension";
    std::vector<QImage> frames;
    for (int i = 0; i < plan.frameCount; ++i) {
        ScrollPass::DrawFrame(*strip, plan.characters, plan.startX - ScrollPass::kStep * i, 0.1);
        frames.push_back(strip->drawingAreaImage().convertToFormat(QImage::Format_RGB32));
    }
    // Frames of the strip before the pass must not count as the pass's own.
    ScrollPass::DrawFrame(*strip, plan.characters, plan.startX, 0.1);
    strip->repaint();

    ScrollPass* pass = ScrollText(strip, title, 12, 3, 0.1, kBlue);
    ASSERT_NE(pass, nullptr);
    QSignalSpy finished(pass, &ScrollPass::finished);
    std::vector<int> seen;
    const auto sample = [&] {
        const QImage shown = AsImage(ServerPixels(*target, reel->size()), reel->size());
        int match = -1;
        for (int i = 0; i < plan.frameCount && match < 0; ++i) {
            if (frames[static_cast<std::size_t>(i)] == shown) match = i;
        }
        seen.push_back(match);
        return !finished.isEmpty();
    };
    ASSERT_TRUE(QTest::qWaitFor(sample, 120000));
    sample();
    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_GE(seen[i], 0) << "sample " << i << " is none of the frames";
        if (i > 0) {
            ASSERT_GE(seen[i], seen[i - 1]) << "sample " << i << " went back";
        }
    }
    EXPECT_EQ(seen.back(), plan.frameCount - 1);
    EXPECT_GT(std::set<int>(seen.begin(), seen.end()).size(), 3u);
}

}  // namespace
}  // namespace kelto::ui
