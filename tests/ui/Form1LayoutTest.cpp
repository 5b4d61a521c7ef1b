#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/widgets/CommonDialog.h"
#include "platform/widgets/NativeWindowRect.h"
#include "ui/Form1.h"

namespace kelto::ui {
namespace {

QRect Pixels(int left, int top, int width, int height) {
    auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
    return {px(left), px(top), px(width), px(height)};
}

TEST(Form1Layout, WindowIsBorderlessBlackAndSizedFromTwips) {
    Form1 form;
    EXPECT_EQ(form.size(), QSize(460, 550));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.isWindow());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Kelto Player 1.0"));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.windowIcon().pixmap(32, 32).size(), QSize(32, 32));
    const QImage shot = form.grab().toImage();
    // A spot of bare background, right of the title and left of the Close bar.
    EXPECT_EQ(shot.pixelColor(300, 10), QColor(0, 0, 0));
}

TEST(Form1Layout, EveryControlHasItsPlaceSizeAndVisibility) {
    Form1 form;
    struct Row {
        const char* name;
        QWidget* widget;
        int left, top, width, height;
        bool shown;
    };
    const std::vector<Row> rows = {
        {"Meter31", form.Meter31, 105, 735, 3255, 525, true},
        {"Picture1", form.Picture1, 1260, 3885, 3165, 2955, true},
        {"asxToolbar3", form.asxToolbar3, 5880, 0, 930, 330, true},
        {"asxToolbar2", form.asxToolbar2, 105, 1575, 3315, 330, true},
        {"List2", form.List2, 4515, 2520, 2640, 1425, false},
        {"List1", form.List1, 105, 1950, 3315, 1230, true},
        {"cpvSlider1", form.cpvSlider1, 0, 1300, 3390, 240, true},
        {"Picture2", form.Picture2, 3360, 735, 3480, 525, true},
        {"Check", form.Check, 3675, 1350, 1275, 225, true},
        {"asxToolbar1", form.asxToolbar1, 105, 380, 5790, 330, true},
        {"cmdclose", form.cmdclose, 5985, 4305, 750, 435, false},
        {"Text1", form.Text1, 6300, 5880, 855, 330, false},
        {"txtfull", form.txtfull, 3255, 4830, 960, 330, true},
        {"lbcurrentime", form.lbcurrentime, 5145, 1350, 1170, 330, true},
        {"Label2", form.Label2, 105, 0, 2325, 330, true},
        {"Label1", form.Label1, 5670, 4935, 1485, 225, false},
        {"LbCurrentRate", form.LbCurrentRate, 525, 5565, 645, 330, false},
        {"LbTotalTime", form.LbTotalTime, 3045, 3255, 1275, 330, false},
        {"LbTotalFrames", form.LbTotalFrames, 525, 4830, 645, 330, false},
        {"LbFramesPerSecond", form.LbFramesPerSecond, 525, 4410, 645, 330, false},
        {"LbActualCy", form.LbActualCy, 630, 3990, 645, 330, false},
        {"LbActualCx", form.LbActualCx, 525, 3570, 855, 330, false},
        {"LbProgress", form.LbProgress, 6405, 1680, 5370, 435, false},
        {"LbResult", form.LbResult, 3570, 1890, 3270, 330, false},
    };
    form.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.widget, nullptr);
        EXPECT_EQ(row.widget->parentWidget(), &form);
        EXPECT_EQ(row.widget->geometry(), Pixels(row.left, row.top, row.width, row.height));
        EXPECT_EQ(row.widget->isVisible(), row.shown);
    }
    // The keyboard box lies under the video area so that it never covers a picture.
    EXPECT_EQ(form.childAt(form.txtfull->geometry().center()), form.Picture1);
}

TEST(Form1Layout, CaptionsAndStartingStates) {
    Form1 form;
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Kelto Player 1.0"));
    EXPECT_EQ(form.Check->text(), QStringLiteral("Auto Replay"));
    EXPECT_FALSE(form.Check->isChecked());
    EXPECT_EQ(form.cmdclose->text(), QStringLiteral("Command1"));
    EXPECT_EQ(form.Text1->text(), QStringLiteral("Text1"));
    for (QLabel* label : {form.Label1, form.LbProgress, form.LbResult}) {
        EXPECT_EQ(label->text(), QStringLiteral("Label1"));
    }
    for (QLabel* label :
         {form.lbcurrentime, form.LbCurrentRate, form.LbTotalTime, form.LbTotalFrames,
          form.LbFramesPerSecond, form.LbActualCy, form.LbActualCx}) {
        EXPECT_TRUE(label->text().isEmpty()) << label->text().toStdString();
    }
    EXPECT_TRUE(form.txtfull->text().isEmpty());
    EXPECT_FALSE(form.txtfull->hasFrame());
    EXPECT_EQ(form.List1->count(), 0);
    EXPECT_EQ(form.List2->count(), 0);
    EXPECT_TRUE(form.List1->uniformItemSizes());
    EXPECT_TRUE(form.List2->uniformItemSizes());
    EXPECT_EQ(form.cpvSlider1->minimum(), -1);
    EXPECT_EQ(form.cpvSlider1->maximum(), 100);
    EXPECT_EQ(form.cpvSlider1->value(), -1);
    EXPECT_EQ(form.Meter31->Value(), 0);
    EXPECT_EQ(form.Meter31->Border(), 0);
    for (int i = 0; i < Meter3::kSegmentCount; ++i) EXPECT_FALSE(form.Meter31->segmentLit(i));
    EXPECT_TRUE(form.Picture2->drawnTexts().empty());
    for (int i = 1; i <= 5; ++i) EXPECT_FALSE(form.asxToolbar1->ButtonChecked(i));

    const PlayerState fresh;
    EXPECT_TRUE(form.state.deviceAlias.empty());
    EXPECT_TRUE(form.state.lastResult.empty());
    EXPECT_EQ(form.state.progressPercent, fresh.progressPercent);
    EXPECT_EQ(form.state.elapsedSeconds, 0.0);
}

TEST(Form1Layout, ColoursAndFonts) {
    Form1 form;
    const QColor green(0, 255, 0);
    const QColor black(0, 0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{form.List1, form.Label2, form.lbcurrentime,
                                                      form.LbTotalTime, form.Check}) {
        SCOPED_TRACE(w->metaObject()->className());
        EXPECT_EQ(w->palette().color(QPalette::WindowText), green);
        EXPECT_EQ(w->palette().color(QPalette::Window), black);
    }
    EXPECT_EQ(form.List1->palette().color(QPalette::Text), green);
    EXPECT_EQ(form.List1->palette().color(QPalette::Base), black);
    EXPECT_EQ(form.txtfull->palette().color(QPalette::Base), black);
    EXPECT_EQ(form.Picture1->backColor(), black);
    EXPECT_EQ(form.Picture2->backColor(), green);
    EXPECT_EQ(form.cpvSlider1->backcolor(), black);
    for (platform::asxToolbar* bar : {form.asxToolbar1, form.asxToolbar2, form.asxToolbar3}) {
        EXPECT_EQ(bar->textcolor(), green);
        EXPECT_EQ(bar->backcolor(), black);
    }
    EXPECT_EQ(form.asxToolbar1->buttongap(), 3);
    EXPECT_EQ(form.asxToolbar2->buttongap(), 2);
    EXPECT_EQ(form.asxToolbar3->buttongap(), platform::asxToolbar::kDefaultButtonGap);

    // 8.25 and 12 points at 15 twips a pixel.
    EXPECT_EQ(form.List1->font().pixelSize(), 11);
    EXPECT_EQ(form.Label2->font().pixelSize(), 16);
    EXPECT_TRUE(form.Label2->font().bold());
    EXPECT_EQ(form.font().pixelSize(), 11);
    if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"))) {
        EXPECT_EQ(QFontInfo(form.Label2->font()).family(), QStringLiteral("Tahoma"));
        EXPECT_TRUE(QFontInfo(form.Label2->font()).bold())
            << QFontInfo(form.Label2->font()).styleName().toStdString();
        EXPECT_EQ(QFontInfo(form.List1->font()).family(), QStringLiteral("Tahoma"));
    }
    if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))) {
        EXPECT_EQ(QFontInfo(form.lbcurrentime->font()).family(), QStringLiteral("MS Sans Serif"));
    }
}

TEST(Form1Layout, ButtonBarsCarryTheirButtons) {
    Form1 form;
    struct Expected {
        platform::asxToolbar* bar;
        int index;
        const char* caption;
        const char* key;
        const char* tooltip;
    };
    const std::vector<Expected> table = {
        {form.asxToolbar1, 1, "Play         ", "play", "Play   F1"},
        {form.asxToolbar1, 2, "Pause      ", "pause", "Pause   F2"},
        {form.asxToolbar1, 3, "Stop          ", "stop", "Stop   F3"},
        {form.asxToolbar1, 4, "Slow Motion", "forward", "Slow Motion  F4"},
        {form.asxToolbar1, 5, "Fullscreen   ", "fullscreen", "Fullscreen"},
        {form.asxToolbar2, 1, "Add to Playlist", "add", "Add media to playlist"},
        {form.asxToolbar2, 2, "Remove", "remove", "Remove meddia from playlist"},
        {form.asxToolbar2, 3, "Clear All", "clear", "Clear Playlist"},
        {form.asxToolbar3, 1, "Close   ", "close", "Close"},
    };
    EXPECT_EQ(form.asxToolbar1->buttonCount(), 5);
    EXPECT_EQ(form.asxToolbar2->buttonCount(), 3);
    EXPECT_EQ(form.asxToolbar3->buttonCount(), 1);
    for (const Expected& e : table) {
        SCOPED_TRACE(e.key);
        QAbstractButton* b = e.bar->button(e.index);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromLatin1(e.caption));
        EXPECT_EQ(e.bar->buttonKey(e.index), QString::fromLatin1(e.key));
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(e.tooltip));
        // Every button fits inside its bar, so none is cut off.
        EXPECT_LE(b->geometry().right(), e.bar->width() - 1);
    }
}

TEST(Form1Layout, TimersAndDialogFilter) {
    Form1 form;
    EXPECT_EQ(form.TimerMisc->interval(), 200);
    EXPECT_FALSE(form.TimerMisc->isActive());
    EXPECT_EQ(form.TimerAtEndFile->interval(), 500);
    EXPECT_TRUE(form.TimerAtEndFile->isActive());
    EXPECT_EQ(form.Timerscroll->interval(), 5000);
    EXPECT_FALSE(form.Timerscroll->isActive());

    // The classic ten entries, character for character, then the two added ones.
    EXPECT_EQ(Form1::DialogFilter().left(222),
              "All audio |*.mp3;*.mp2;*.wav;*.midi;*.mid|All video |*.mpg;*.mpge;*.avi;*.vob|"
              "mp3 (*.mp3)|*.mp3|wav (*.wav)|*.wav|avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|"
              "mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi|DVD(*.vob)|*.vob|");
    EXPECT_TRUE(Form1::DialogFilter().endsWith("|All files|*"));
    auto* dialog = dynamic_cast<platform::CommonDialog*>(form.CommonDialog1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Filter(), Form1::DialogFilter());
    EXPECT_TRUE(dialog->FileName().isEmpty());
    EXPECT_TRUE(dialog->FileTitle().isEmpty());
}

TEST(Form1Layout, TabGoesTopToBottomWithTheCloseBarLast) {
    Form1 form;
    for (QWidget* w : {static_cast<QWidget*>(form.Label2), static_cast<QWidget*>(form.lbcurrentime),
                       static_cast<QWidget*>(form.Meter31)}) {
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
    }
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(form.focusWidget(), form.Picture1);

    // From the video area, once round: the close bar, then the window top to
    // bottom. Hidden controls and the key box are passed over.
    std::vector<QWidget*> stops = {form.asxToolbar3->button(1)};
    for (int i = 1; i <= 5; ++i) stops.push_back(form.asxToolbar1->button(i));
    stops.insert(stops.end(), {form.Picture2, form.cpvSlider1, form.Check});
    for (int i = 1; i <= 3; ++i) stops.push_back(form.asxToolbar2->button(i));
    stops.insert(stops.end(), {form.List1, form.Picture1});
    for (QWidget* expected : stops) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                            : "none");
    }
    // A click on a button leaves the focus where it was.
    QTest::mouseClick(form.asxToolbar1->button(1), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), form.Picture1);
}

TEST(Form1Layout, VideoAreaIsANativeWindowThatCanBeMeasured) {
    Form1 form;
    form.move(40, 30);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.Picture1->testAttribute(Qt::WA_NativeWindow));
    const std::int32_t handle = form.Picture1Handle();
    ASSERT_NE(handle, 0);
    EXPECT_EQ(static_cast<WId>(static_cast<std::uint32_t>(handle)), form.Picture1->winId());

    platform::WindowRect rect;
    ASSERT_TRUE(platform::NativeWindowRect(handle, rect));
    const QPoint origin = form.Picture1->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(rect.left, origin.x());
    EXPECT_EQ(rect.top, origin.y());
    EXPECT_EQ(rect.right - rect.left, 211);
    EXPECT_EQ(rect.bottom - rect.top, 197);

    platform::WindowRect untouched{1, 2, 3, 4};
    EXPECT_FALSE(platform::NativeWindowRect(0, untouched));
    EXPECT_FALSE(platform::NativeWindowRect(0x7ffffff0, untouched));
    EXPECT_EQ(untouched.right, 3);
}

}  // namespace
}  // namespace kelto::ui
