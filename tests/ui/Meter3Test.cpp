#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "platform/widgets/PropertyBag.h"
#include "ui/InvalidPropertyValue.h"
#include "ui/Meter3.h"

namespace kelto::ui {
namespace {

// The colour painted in the middle of segment i, where no neighbour overlaps.
QColor PaintedSegment(Meter3& meter, int i) {
    const QImage image = meter.grab().toImage();
    return image.pixelColor(10 + 4 * i, 17);
}

std::vector<int> LitSegments(const Meter3& meter) {
    std::vector<int> lit;
    for (int i = 0; i < Meter3::kSegmentCount; ++i) {
        if (meter.segmentLit(i)) lit.push_back(i);
    }
    return lit;
}

TEST(Meter3, LightsTheFirstValueSegmentsAndPaintsThem) {
    for (const int value : {0, 50, 1, 25}) {
        SCOPED_TRACE(value);
        Meter3 meter;
        meter.setValue(static_cast<std::int16_t>(value));
        for (int i = 0; i < Meter3::kSegmentCount; ++i) {
            ASSERT_EQ(meter.segmentLit(i), i < value) << "segment " << i;
        }
        const QImage image = meter.grab().toImage();
        for (int i = 0; i < Meter3::kSegmentCount; ++i) {
            const QColor expected = i < value ? Meter3::LitColour() : Meter3::DarkColour();
            ASSERT_EQ(image.pixelColor(10 + 4 * i, 17), expected) << "segment " << i;
        }
    }
}

TEST(Meter3, SegmentsOverlapIntoThinDividers) {
    Meter3 meter;
    EXPECT_EQ(meter.segmentTwips(0), QRect(120, 120, 80, 300));
    EXPECT_EQ(meter.segmentTwips(1).left(), 180);
    const QRect last = meter.segmentTwips(49);
    EXPECT_EQ(last.left(), 3060);
    EXPECT_EQ(last.left() + last.width(), 3140);
    EXPECT_TRUE(meter.segmentTwips(50).isNull());
    // Between two dark segments lies a single dark outline pixel, not a gap of background.
    const QImage image = meter.grab().toImage();
    EXPECT_EQ(image.pixelColor(12, 17), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(11, 17), Meter3::DarkColour());
    EXPECT_EQ(image.pixelColor(13, 17), Meter3::DarkColour());
}

TEST(Meter3, ShowsTheLatestValueAsLitSegments) {
    Meter3 meter;
    meter.setValue(0);
    meter.setValue(30);
    meter.setValue(30);
    meter.setValue(10);
    std::vector<int> expected(10);
    for (int i = 0; i < 10; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(LitSegments(meter), expected);
    EXPECT_EQ(PaintedSegment(meter, 29), Meter3::DarkColour());
    EXPECT_EQ(PaintedSegment(meter, 9), Meter3::LitColour());
}

// Catches the regions the meter asks to have repainted.
class PaintRegions : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// A change repaints the segments that change colour and nothing else, and
// what the window then shows is pixel for pixel the meter painted whole.
TEST(Meter3, RepaintsTheChangedSegmentsAloneAndLooksAsIfPaintedWhole) {
    Meter3 meter;
    meter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&meter));
    PaintRegions regions;
    meter.installEventFilter(&regions);
    QImage screen = meter.grab().toImage();
    for (const int value : {1, 2, 30, 10, 50, 49, 0}) {
        SCOPED_TRACE(value);
        const std::int16_t before = meter.Value();
        regions.painted = QRegion();
        meter.setValue(static_cast<std::int16_t>(value));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !regions.painted.isEmpty(); }, 5000));
        // Segment i spans pixels 8 + 4i to 13 + 4i.
        const int first = std::min<int>(before, value);
        const int last = std::max<int>(before, value) - 1;
        const QRect bounds = regions.painted.boundingRect();
        EXPECT_GE(bounds.left(), 8 + 4 * first - 2);
        EXPECT_LE(bounds.right(), 13 + 4 * last + 2);
        EXPECT_GE(bounds.top(), 6);
        EXPECT_LE(bounds.bottom(), 29);
        // The region's top left goes where it was taken from.
        meter.render(&screen, regions.painted.boundingRect().topLeft(), regions.painted);
        ASSERT_EQ(screen, meter.grab().toImage());
    }
}

TEST(Meter3, RefusesValuesOutOfRangeAndChangesNothing) {
    Meter3 meter;
    meter.setValue(12);
    QSignalSpy changed(&meter, &Meter3::PropertyChanged);
    for (const int bad : {51, -1, 32767, -32768}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(meter.setValue(static_cast<std::int16_t>(bad)), InvalidPropertyValue);
        EXPECT_EQ(meter.Value(), 12);
        EXPECT_EQ(LitSegments(meter).size(), 12u);
    }
    for (const int bad : {2, -1, 3}) {
        EXPECT_THROW(meter.setBorder(static_cast<std::int16_t>(bad)), InvalidPropertyValue);
        EXPECT_EQ(meter.Border(), 1);
    }
    EXPECT_EQ(changed.size(), 0);

    meter.setValue(12);
    meter.setBorder(0);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0][0].toString(), QStringLiteral("Value"));
    EXPECT_EQ(changed[1][0].toString(), QStringLiteral("Border"));
}

TEST(Meter3, SavesOnlyWhatDiffersFromTheDefaults) {
    {
        Meter3 meter;
        platform::PropertyBag bag;
        meter.WriteProperties(bag);
        EXPECT_EQ(bag.size(), 0u);
    }
    {
        Meter3 meter;
        meter.setValue(7);
        meter.setBorder(0);
        platform::PropertyBag bag;
        meter.WriteProperties(bag);
        EXPECT_EQ(bag.entries(), (std::map<QString, int>{{QStringLiteral("border"), 0},
                                                         {QStringLiteral("value"), 7}}));
        Meter3 restored;
        restored.ReadProperties(bag);
        EXPECT_EQ(restored.Value(), 7);
        EXPECT_EQ(restored.Border(), 0);
        EXPECT_EQ(LitSegments(restored).size(), 7u);
        // Going back to the defaults removes the entries a previous save made.
        restored.setValue(0);
        restored.setBorder(1);
        restored.WriteProperties(bag);
        EXPECT_EQ(bag.size(), 0u);
    }
    {
        Meter3 meter;
        meter.ReadProperties(platform::PropertyBag{});
        EXPECT_EQ(meter.Value(), 0);
        EXPECT_EQ(meter.Border(), 1);
        EXPECT_TRUE(LitSegments(meter).empty());
    }
}

TEST(Meter3, DamagedStoreEntriesAreIgnored) {
    platform::PropertyBag bag;
    bag.WriteProperty(QStringLiteral("VALUE"), 80, 0);
    bag.WriteProperty(QStringLiteral("Border"), 5, 1);
    Meter3 meter;
    EXPECT_NO_THROW(meter.ReadProperties(bag));
    EXPECT_EQ(meter.Value(), 0);
    EXPECT_EQ(meter.Border(), 1);
}

TEST(Meter3, OuterSizeIsFixed) {
    Meter3 meter;
    for (const QSize asked : {QSize(10, 10), QSize(600, 200), QSize(217, 35)}) {
        meter.resize(asked);
        EXPECT_EQ(meter.size(), QSize(217, 35));
    }
}

}  // namespace
}  // namespace kelto::ui
