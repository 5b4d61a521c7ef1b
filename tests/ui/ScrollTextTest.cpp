#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QStaticText>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <vector>

#include "ui/PictureBox.h"
#include "ui/basScroller.h"

namespace kelto::ui {
namespace {

const QColor kBlue(0, 0, 255);

struct Frame {
    double x;
    std::vector<PictureBox::DrawnText> drawn;
};

// A strip shaped like the window's marquee: 232 x 35 pixels with a 2-pixel
// sunken edge, so its drawing area is 28.5 x 1.9375 character cells.
class Strip : public ::testing::Test {
protected:
    void SetUp() override {
        surface.setBackColor(QColor(0, 255, 0));
        surface.setBorder(true);
        surface.resize(232, 35);
        surface.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&surface));
    }

    // Runs a pass to its end and keeps every frame as it was drawn.
    std::vector<Frame> RunPass(const QString& text, double delay) {
        std::vector<Frame> frames;
        ScrollPass* pass = ScrollText(&surface, text, 12, delay, 0.1, kBlue);
        EXPECT_NE(pass, nullptr);
        if (pass == nullptr) return frames;
        QObject::connect(pass, &ScrollPass::frameDrawn, [&](double x) {
            frames.push_back({x, surface.drawnTexts()});
        });
        QSignalSpy done(pass, &ScrollPass::finished);
        EXPECT_TRUE(done.wait(20000));
        return frames;
    }

    static double ExpectedY(int i, double x) {
        return 2 + (1.9375 / 2 - 1 + std::sin((i + x) * 0.7) * 0.1) * 16;
    }

    static int BluePixels(const QImage& image, const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.blue() > 128 && c.green() < 128) ++count;
            }
        }
        return count;
    }

    PictureBox surface;
};

TEST_F(Strip, OneCharacterEntersAtTheRightAndLeavesPastTheLeft) {
    const std::vector<Frame> frames = RunPass(QStringLiteral("A"), 3);
    // S = floor(28.5) = 28, E = floor(-1.2) = -2: 61 frames in half-cell steps.
    ASSERT_EQ(frames.size(), 61u);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const double x = 28 - 0.5 * static_cast<double>(k);
        ASSERT_DOUBLE_EQ(frames[k].x, x);
        ASSERT_EQ(frames[k].drawn.size(), 1u);
        EXPECT_NEAR(frames[k].drawn[0].topLeft.x(), 2 + x * 8, 1e-9);
        EXPECT_NEAR(frames[k].drawn[0].topLeft.y(), ExpectedY(0, x), 1e-9);
        EXPECT_EQ(frames[k].drawn[0].text, QStringLiteral("A"));
    }
    // The character's top sits close above the strip's top edge, moved by the wave.
    EXPECT_NEAR(frames.front().drawn[0].topLeft.y(), 2 - 0.03 * 16, 0.1 * 16 + 0.01);
}

TEST_F(Strip, EmptyTitleStillRunsItsFramesClearingTheStrip) {
    const std::vector<Frame> frames = RunPass(QString(), 0);
    ASSERT_EQ(frames.size(), 57u);  // 28 down to 0
    EXPECT_DOUBLE_EQ(frames.back().x, 0);
    for (const Frame& f : frames) EXPECT_TRUE(f.drawn.empty());
}

TEST_F(Strip, LongTitleScrollsUntilItsLastCharacterHasLeft) {
    const QString title = QString(40, QLatin1Char('W'));
    QImage midway;
    std::vector<Frame> frames;
    {
        ScrollPass* pass = ScrollText(&surface, title, 12, 0, 0.1, kBlue);
        ASSERT_NE(pass, nullptr);
        EXPECT_EQ(pass->startX(), 28);
        EXPECT_EQ(pass->endX(), -48);
        EXPECT_EQ(pass->frameCount(), 153);
        QObject::connect(pass, &ScrollPass::frameDrawn, [&](double x) {
            frames.push_back({x, surface.drawnTexts()});
            if (frames.size() == 60) midway = surface.grab().toImage();
        });
        QSignalSpy done(pass, &ScrollPass::finished);
        ASSERT_TRUE(done.wait(20000));
    }
    ASSERT_EQ(frames.size(), 153u);
    const Frame& some = frames[17];
    ASSERT_EQ(some.drawn.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_NEAR(some.drawn[static_cast<std::size_t>(i)].topLeft.x(), 2 + (1.2 * i + some.x) * 8,
                    1e-9);
        EXPECT_NEAR(some.drawn[static_cast<std::size_t>(i)].topLeft.y(), ExpectedY(i, some.x),
                    1e-9);
    }
    // Last frame: every character lies left of the drawing area.
    for (const auto& item : frames.back().drawn) EXPECT_LE(item.topLeft.x() + 1.2 * 8, 2 + 1e-9);

    // On screen: text in the strip midway, clipped to the drawing area, and
    // a plain green strip once the pass is over.
    const QRect inside = surface.drawingArea();
    ASSERT_FALSE(midway.isNull());
    EXPECT_GT(BluePixels(midway, inside), 0);
    EXPECT_EQ(BluePixels(midway, QRect(0, 0, 232, 2)), 0);
    EXPECT_EQ(BluePixels(midway, QRect(0, 33, 232, 2)), 0);
    EXPECT_EQ(BluePixels(surface.grab().toImage(), inside), 0);
}

TEST_F(Strip, LeavesCharacterUnitsFontAndColourOnTheSurface) {
    RunPass(QStringLiteral("x"), 0);
    EXPECT_EQ(surface.scaleMode(), PictureBox::ScaleMode::Characters);
    EXPECT_DOUBLE_EQ(surface.fontSize(), 12);
    EXPECT_EQ(surface.foreColor(), kBlue);
    EXPECT_FALSE(surface.drawFont().bold());
    EXPECT_TRUE(QFontInfo(surface.drawFont()).fixedPitch());
    EXPECT_NEAR(surface.scaleWidth(), 28.5, 1e-9);
    EXPECT_NEAR(surface.scaleHeight(), 1.9375, 1e-9);
}

TEST_F(Strip, OtherEventsRunBetweenFramesAndPassesNeverOverlap) {
    QElapsedTimer clock;
    clock.start();
    QPointer<ScrollPass> pass = ScrollText(&surface, QStringLiteral("A"), 12, 3, 0.1, kBlue);
    ASSERT_FALSE(pass.isNull());
    EXPECT_TRUE(pass->running());
    EXPECT_EQ(ScrollText(&surface, QStringLiteral("B"), 12, 3, 0.1, kBlue), nullptr);
    EXPECT_EQ(RunningPass(&surface), pass.data());

    int ticksDuringPass = 0;
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] {
        if (pass && pass->running()) ++ticksDuringPass;
    });
    other.start(50);
    QSignalSpy done(pass.data(), &ScrollPass::finished);
    ASSERT_TRUE(done.wait(20000));
    // Each of the 61 frames waited its 30 ms first.
    EXPECT_GE(clock.elapsed(), 61 * 30);
    EXPECT_GT(ticksDuringPass, 0) << "no other event ran during the pass";
    ASSERT_FALSE(surface.drawnTexts().empty());
    EXPECT_EQ(surface.drawnTexts().front().text, QStringLiteral("A"));

    // Once the pass is over, a new one may start.
    ASSERT_NE(ScrollText(&surface, QStringLiteral("B"), 12, 0, 0.1, kBlue), nullptr);
    StopScrolling(&surface);
}

TEST_F(Strip, HidingOrDestroyingTheSurfaceEndsThePass) {
    QPointer<ScrollPass> pass = ScrollText(&surface, QStringLiteral("AB"), 12, 1, 0.1, kBlue);
    ASSERT_FALSE(pass.isNull());
    QSignalSpy frames(pass.data(), &ScrollPass::frameDrawn);
    ASSERT_TRUE(frames.wait(20000));
    surface.hide();
    const auto drawn = surface.drawnTexts().size();
    QTest::qWait(100);
    EXPECT_TRUE(pass.isNull() || !pass->running());
    EXPECT_LE(frames.size(), 2);
    EXPECT_EQ(surface.drawnTexts().size(), drawn);

    auto* doomed = new PictureBox;
    doomed->resize(232, 35);
    doomed->show();
    QPointer<ScrollPass> orphan = ScrollText(doomed, QStringLiteral("Z"), 12, 1, 0.1, kBlue);
    ASSERT_FALSE(orphan.isNull());
    delete doomed;
    EXPECT_TRUE(orphan.isNull());
    QTest::qWait(50);
}

// The reference painting of the strip, with no glyphs gathered into runs: the
// whole box, the sunken edge, then every printed text on its own through
// QStaticText.
QImage PaintedOneByOne(const PictureBox& box) {
    QImage image(box.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), box.backColor());
    PictureBox::PaintSunkenEdge(painter, image.rect());
    painter.setClipRect(box.drawingArea());
    for (const PictureBox::DrawnText& item : box.drawnTexts()) {
        QStaticText laid(item.text);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), item.font);
        painter.setFont(item.font);
        painter.setPen(item.colour);
        painter.drawStaticText(item.topLeft, laid);
    }
    return image;
}

// Every frame of whole passes, painted as the window paints it (the drawing
// area alone over what the previous frame left, and the box whole), against
// the one-text-at-a-time painting: pixel for pixel the same. The titles
// cover neighbours whose glyphs touch, several faces in one title (letters
// the title face lacks come from another) and an underlined font, which
// keeps its line.
TEST_F(Strip, EveryFramePaintsPixelForPixelAsTextByText) {
    const QString titles[] = {
        QStringLiteral("Kelto Sound of Sixty"),
        QStringLiteral("WMW__%%@@mm||"),
        QStringLiteral("Ωж 音楽 ") + QString::fromUcs4(U"\U0001F3B5") + QStringLiteral(" é"),
    };
    const auto compare = [&](bool underline) {
        for (const QString& title : titles) {
            QImage screen = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
            ScrollPass* pass = ScrollText(&surface, title, 12, 0, 0.1, kBlue);
            ASSERT_NE(pass, nullptr);
            surface.setFontUnderline(underline);
            int frames = 0;
            int differing = 0;
            QObject::connect(pass, &ScrollPass::frameDrawn, [&](double) {
                ++frames;
                const QImage expected = PaintedOneByOne(surface);
                surface.render(&screen, surface.drawingArea().topLeft(),
                               QRegion(surface.drawingArea()), QWidget::DrawChildren);
                const QImage whole = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
                if (screen != expected || whole != expected) ++differing;
            });
            QSignalSpy done(pass, &ScrollPass::finished);
            ASSERT_TRUE(done.wait(20000));
            EXPECT_EQ(frames, pass->frameCount()) << title.toStdString();
            EXPECT_EQ(differing, 0) << title.toStdString() << " underline " << underline;
        }
    };
    compare(false);
    compare(true);
}

// Measurements are kept per text and font: a text printed again after the
// font changed must move by the new font's advance, and a frame made off
// the screen must show what the strip itself shows.
TEST_F(Strip, PrintMovesByTheCurrentFontsAdvanceAndFramesMatchTheStrip) {
    surface.setScaleMode(PictureBox::ScaleMode::Pixels);
    surface.setFontName(QStringLiteral("Courier New"));
    surface.setForeColor(kBlue);
    for (const double points : {12.0, 24.0, 12.0}) {
        surface.setFontSize(points);
        surface.cls();
        surface.print(QStringLiteral("Wm"));
        EXPECT_DOUBLE_EQ(surface.currentX(),
                         QFontMetricsF(surface.drawFont()).horizontalAdvance(QStringLiteral("Wm")))
            << points;
    }
    surface.repaint();
    const QImage strip = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage frame = surface.drawingAreaImage();
    const QImage shown = strip.copy(surface.drawingArea());
    ASSERT_EQ(frame.size(), shown.size());
    int differing = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) differing += frame.pixel(x, y) != shown.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(Strip, WideCharactersMoveAsOne) {
    // "a", a character outside the basic plane, "b".
    const QString text =
        QStringLiteral("a") + QString::fromUcs4(U"\U0001F3B5") + QStringLiteral("b");
    const std::vector<Frame> frames = RunPass(text, 0);
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(frames.front().drawn.size(), 3u);
    EXPECT_EQ(frames.front().drawn[1].text, QString::fromUcs4(U"\U0001F3B5"));
    EXPECT_EQ(frames.back().x, -4);  // floor(-3.6)
}

}  // namespace
}  // namespace kelto::ui
