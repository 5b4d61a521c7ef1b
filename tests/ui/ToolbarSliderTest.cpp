#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "platform/widgets/asxToolbar.h"
#include "platform/widgets/cpvSlider.h"

namespace kelto::platform {
namespace {

class Bar : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(386, 22);
        bar.setButtongap(3);
        bar.setButtons({{"Play         ", "play", "Play   F1"},
                        {"Pause      ", "pause", "Pause   F2"},
                        {"Play", "short", ""}});
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }
    asxToolbar bar;
};

TEST_F(Bar, ClickReportsIndexAndKeyButLeavesTheFlagAlone) {
    QSignalSpy clicks(&bar, &asxToolbar::ButtonClick);
    QTest::mouseClick(bar.button(2), Qt::LeftButton);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 2);
    EXPECT_EQ(clicks[0][1].toString(), QStringLiteral("pause"));
    EXPECT_FALSE(bar.ButtonChecked(2));

    bar.setButtonChecked(2, true);
    QTest::mouseClick(bar.button(2), Qt::LeftButton);
    EXPECT_TRUE(bar.ButtonChecked(2));
    EXPECT_EQ(clicks.size(), 2);
    QTest::mouseClick(bar.button(1), Qt::RightButton);
    EXPECT_EQ(clicks.size(), 2);
}

TEST_F(Bar, FlagsArePerButtonAndOutOfRangeIsHarmless) {
    bar.setButtonChecked(1, true);
    EXPECT_TRUE(bar.ButtonChecked(1));
    EXPECT_FALSE(bar.ButtonChecked(2));
    for (const int index : {0, -1, 4, 100}) {
        bar.setButtonChecked(index, true);
        EXPECT_FALSE(bar.ButtonChecked(index));
        EXPECT_EQ(bar.button(index), nullptr);
    }
    bar.setButtonChecked(1, false);
    EXPECT_FALSE(bar.ButtonChecked(1));
}

TEST_F(Bar, SetFlagIsVisibleOnTheButton) {
    const QImage plain = bar.button(2)->grab().toImage();
    bar.setButtonChecked(2, true);
    const QImage flagged = bar.button(2)->grab().toImage();
    EXPECT_NE(plain, flagged);
    bar.setButtonChecked(2, false);
    EXPECT_EQ(bar.button(2)->grab().toImage(), plain);
}

TEST_F(Bar, TrailingBlanksWidenButtonsThatSitInARowWithTheirGap) {
    EXPECT_GT(bar.button(1)->width(), bar.button(3)->width());
    EXPECT_EQ(bar.button(2)->x(), bar.button(1)->geometry().right() + 1 + 3);
    EXPECT_EQ(bar.button(3)->x(), bar.button(2)->geometry().right() + 1 + 3);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(bar.button(i)->height(), 22);
}

class Slider : public ::testing::Test {
protected:
    void SetUp() override {
        slider.resize(226, 16);
        slider.setRange(-1, 100);
        slider.setValue(-1);
        slider.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    }
    cpvSlider slider;
};

TEST_F(Slider, ProgramChangesAreSilentAndClamped) {
    QSignalSpy changes(&slider, &cpvSlider::Change);
    slider.setValue(50);
    EXPECT_EQ(slider.value(), 50);
    slider.setValue(1000);
    EXPECT_EQ(slider.value(), 100);
    slider.setValue(-7);
    EXPECT_EQ(slider.value(), -1);
    slider.setRange(10, 20);
    EXPECT_EQ(slider.value(), 10);
    EXPECT_EQ(changes.size(), 0);
}

TEST_F(Slider, ClickOnTheRailJumpsAndNotifiesOnce) {
    QSignalSpy changes(&slider, &cpvSlider::Change);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(225, 8));
    EXPECT_EQ(slider.value(), 100);
    EXPECT_EQ(changes.size(), 1);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(113, 8));
    EXPECT_NEAR(slider.value(), 50, 1);
    EXPECT_EQ(changes.size(), 2);
    // Clicking the thumb where it stands changes nothing and says nothing.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(slider.thumbLeft() + 8, 8));
    EXPECT_EQ(changes.size(), 2);
}

TEST_F(Slider, DragNotifiesOnceOnRelease) {
    QSignalSpy changes(&slider, &cpvSlider::Change);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(8, 8));
    for (int x = 20; x <= 220; x += 20) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 8), slider.mapToGlobal(QPointF(x, 8)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&slider, &move);
    }
    EXPECT_GT(slider.value(), 80);
    EXPECT_EQ(changes.size(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(220, 8));
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(Slider, KeysStepAndStopAtTheEnds) {
    QSignalSpy changes(&slider, &cpvSlider::Change);
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.value(), 0);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.value(), 100);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.value(), 100);
    QTest::keyClick(&slider, Qt::Key_PageDown);
    EXPECT_EQ(slider.value(), 90);
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(slider.value(), -1);
    EXPECT_EQ(changes.size(), 4);
}

TEST(SliderPictures, ThumbIsARoundLightBlueKnobAndTheRailIsBlue) {
    const QImage thumb = cpvSlider::ThumbPicture().toImage();
    ASSERT_EQ(thumb.size(), QSize(16, 16));
    EXPECT_EQ(thumb.pixelColor(0, 0).alpha(), 0);  // round: corners are clear
    const QColor centre = thumb.pixelColor(7, 7);
    EXPECT_GT(centre.blue(), centre.red());
    EXPECT_GT(centre.lightness(), 150);
    const QImage rail = cpvSlider::RailPicture().toImage();
    ASSERT_EQ(rail.size(), QSize(222, 8));
    for (int y = 0; y < 8; ++y) {
        const QColor c = rail.pixelColor(100, y);
        EXPECT_GT(c.blue(), c.red());
        EXPECT_GT(c.blue(), c.green());
    }
}

}  // namespace
}  // namespace kelto::platform
