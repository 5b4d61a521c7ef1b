#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "ui/FocusMark.h"
#include "ui/Form1.h"
#include "ui/basScroller.h"

namespace kelto::ui {
namespace {

// Delivers a press where a real one would land: to the topmost control at
// the point, from where Qt passes it on to the parents if not taken.
void PressAt(Form1& form, const QPoint& at, Qt::MouseButton button) {
    QWidget* target = form.childAt(at);
    if (target == nullptr) target = &form;
    QTest::mousePress(target, button, {}, target->mapFrom(&form, at));
    QTest::mouseRelease(target, button, {}, target->mapFrom(&form, at));
}

TEST(Form1Drag, OnlyLeftPressesOnTheBackgroundOrVideoAreaMoveTheWindow) {
    Form1 form;
    std::vector<QWidget*> dragged;
    form.setDragHandler([&](QWidget* w) { dragged.push_back(w); });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    struct Case {
        const char* where;
        QPoint at;
        Qt::MouseButton button;
        bool drags;
    };
    const QPoint background(300, 10);   // right of the title
    const QPoint belowVideo(200, 530);  // under the video area
    const QPoint video(100, 300);       // inside Picture1
    const std::vector<Case> cases = {
        {"background left", background, Qt::LeftButton, true},
        {"below video left", belowVideo, Qt::LeftButton, true},
        {"video left", video, Qt::LeftButton, true},
        {"background right", background, Qt::RightButton, false},
        {"background middle", background, Qt::MiddleButton, false},
        {"video right", video, Qt::RightButton, false},
        {"title label", QPoint(20, 10), Qt::LeftButton, false},
        {"time label", QPoint(360, 95), Qt::LeftButton, false},
        {"playlist", QPoint(50, 150), Qt::LeftButton, false},
        {"meter", QPoint(50, 60), Qt::LeftButton, false},
        {"marquee", QPoint(300, 60), Qt::LeftButton, false},
        {"slider", QPoint(100, 94), Qt::LeftButton, false},
        {"transport bar", QPoint(20, 35), Qt::LeftButton, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        dragged.clear();
        PressAt(form, c.at, c.button);
        ASSERT_EQ(dragged.size(), c.drags ? 1u : 0u);
        if (c.drags) {
            EXPECT_EQ(dragged.front(), &form);
        }
    }
}

TEST(Form1Drag, WithoutAWindowManagerMoveTheWindowFollowsThePointerUntilRelease) {
    Form1 form;
    form.move(100, 100);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    if (form.windowHandle()->startSystemMove()) GTEST_SKIP() << "the window manager moves windows";
    const QPoint start = form.pos();
    QCursor::setPos(form.mapToGlobal(QPoint(300, 10)));
    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(300, 10));
    QTest::mouseMove(&form, QPoint(330, 50));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.pos() == start + QPoint(30, 40); }, 20000))
        << "at " << form.pos().x() << "," << form.pos().y();
    QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(330, 50));
    const QPoint dropped = form.pos();
    QTest::mouseMove(&form, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.pos(), dropped);
}

TEST(Form1Keys, TxtfullReportsKeysWithoutSwallowingThem) {
    Form1 form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.txtfull->setFocus();
    QSignalSpy keys(&form, &Form1::txtfullKeyDown);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
        int shift;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Escape, Qt::NoModifier, 27, 0},   {Qt::Key_F1, Qt::NoModifier, 112, 0},
        {Qt::Key_F2, Qt::NoModifier, 113, 0},      {Qt::Key_F3, Qt::ShiftModifier, 114, 1},
        {Qt::Key_F4, Qt::ControlModifier, 115, 2}, {Qt::Key_A, Qt::AltModifier, 65, 4},
    };
    for (const Case& c : cases) QTest::keyClick(form.txtfull, c.key, c.modifiers);
    // The modifier keys report themselves too (Shift 16, Ctrl 17, Alt 18); set them aside.
    std::vector<std::pair<int, int>> reported;
    std::vector<int> modifiers;
    for (const QList<QVariant>& k : keys) {
        const int code = k[0].toInt();
        if (code >= 16 && code <= 18) {
            modifiers.push_back(code);
        } else {
            reported.emplace_back(code, k[1].toInt());
        }
    }
    ASSERT_EQ(reported.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(reported[i], std::make_pair(cases[i].code, cases[i].shift));
    }
    EXPECT_EQ(modifiers, (std::vector<int>{16, 17, 18}));
    form.txtfull->clear();
    QTest::keyClicks(form.txtfull, QStringLiteral("xy"));
    EXPECT_EQ(form.txtfull->text(), QStringLiteral("xy"));
    EXPECT_EQ(form.focusWidget(), form.txtfull);
}

// Return and Delete do with the keyboard what the mouse does, and the green
// mark shows where the keys go from the first key to the next mouse press.
TEST(Form1Keys, KeysPressWhatTheMouseClicksAndTheMarkFollowsTheFocus) {
    Form1 form;
    form.List1->addItems({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* mark = form.findChild<FocusMark*>();
    ASSERT_NE(mark, nullptr);
    EXPECT_FALSE(mark->shown());

    QSignalSpy played(form.List1, &platform::ListBox::rowDoubleClicked);
    QSignalSpy edited(form.asxToolbar2, &platform::asxToolbar::ButtonClick);
    form.List1->setFocus();
    form.List1->setCurrentRow(1);
    QTest::keyClick(form.List1, Qt::Key_Return);
    ASSERT_EQ(played.size(), 1);
    EXPECT_EQ(played[0][0].toInt(), 1);
    QTest::keyClick(form.List1, Qt::Key_Delete);
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited[0][0].toInt(), 2);
    EXPECT_EQ(edited[0][1].toString(), QStringLiteral("remove"));
    // The ring stands round the playlist, just outside it, once the key is done.
    ASSERT_TRUE(QTest::qWaitFor([&] { return mark->shown(); }));
    const QRect list = form.List1->geometry();
    EXPECT_EQ(mark->ring(), list.adjusted(-2, -2, 2, 2));

    QSignalSpy transport(form.asxToolbar1, &platform::asxToolbar::ButtonClick);
    form.asxToolbar1->button(2)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.asxToolbar1->button(2), Qt::Key_Return);
    QTest::keyClick(form.asxToolbar1->button(2), Qt::Key_Space);
    ASSERT_EQ(transport.size(), 2);
    EXPECT_EQ(transport[0][1].toString(), QStringLiteral("pause"));
    EXPECT_EQ(transport[1][1].toString(), QStringLiteral("pause"));
    EXPECT_EQ(mark->ring().center(),
              form.asxToolbar1->button(2)->geometry().translated(form.asxToolbar1->pos()).center());

    form.Check->setFocus();
    QTest::keyClick(form.Check, Qt::Key_Return);
    EXPECT_TRUE(form.Check->isChecked());
    QTest::keyClick(form.Check, Qt::Key_Space);
    EXPECT_FALSE(form.Check->isChecked());

    QTest::mouseClick(form.List1->viewport(), Qt::LeftButton);
    EXPECT_FALSE(mark->shown());
}

TEST(Form1Close, EmitsQueryUnloadThenUnloadAndEndsARunningPass) {
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.List1->addItem(QStringLiteral("Some title"));
    form.List1->setCurrentRow(0);
    form.TimerscrollTick();
    QPointer<ScrollPass> pass = RunningPass(form.Picture2);
    ASSERT_FALSE(pass.isNull());
    QSignalSpy frames(pass.data(), &ScrollPass::frameDrawn);
    ASSERT_TRUE(frames.wait(20000));

    std::vector<QString> order;
    QObject::connect(&form, &Form1::queryUnload,
                     [&] { order.push_back(QStringLiteral("queryUnload")); });
    QObject::connect(&form, &Form1::unload, [&] { order.push_back(QStringLiteral("unload")); });
    EXPECT_TRUE(form.close());
    EXPECT_EQ(order,
              (std::vector<QString>{QStringLiteral("queryUnload"), QStringLiteral("unload")}));

    EXPECT_EQ(RunningPass(form.Picture2), nullptr);
    const auto drawnAtClose = form.Picture2->drawnTexts().size();
    const qsizetype framesAtClose = frames.size();
    QTest::qWait(200);
    EXPECT_EQ(frames.size(), framesAtClose);
    EXPECT_EQ(form.Picture2->drawnTexts().size(), drawnAtClose);
}

TEST(Form1Scroll, TickScrollsTheSelectedTitleAndNeverNestsPasses) {
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.List1->addItems({QStringLiteral("first"), QStringLiteral("second")});
    form.List1->setCurrentRow(1);
    form.TimerscrollTick();
    QPointer<ScrollPass> pass = RunningPass(form.Picture2);
    ASSERT_FALSE(pass.isNull());
    QSignalSpy frames(pass.data(), &ScrollPass::frameDrawn);
    ASSERT_TRUE(frames.wait(20000));
    ASSERT_EQ(form.Picture2->drawnTexts().size(), 6u);
    EXPECT_EQ(form.Picture2->drawnTexts().front().text, QStringLiteral("s"));
    EXPECT_EQ(form.Picture2->drawnTexts().front().colour, QColor(0, 0, 255));

    // A tick during the pass, even with another selection, changes nothing.
    const int drawnSoFar = pass->framesDrawn();
    form.List1->setCurrentRow(0);
    form.TimerscrollTick();
    EXPECT_EQ(RunningPass(form.Picture2), pass.data());
    EXPECT_GE(pass->framesDrawn(), drawnSoFar);
    ASSERT_TRUE(frames.wait(20000));
    EXPECT_EQ(form.Picture2->drawnTexts().front().text, QStringLiteral("s"));
    form.close();
}

TEST(Form1Window, MaximisedFillsTheScreenAndNormalPutsItBack) {
    Form1 form;
    form.move(50, 60);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect before = form.geometry();
    const QRect screenArea = form.screen()->availableGeometry();

    form.setMaximised(true);
    EXPECT_TRUE(form.isMaximisedState());
    EXPECT_EQ(form.geometry(), screenArea);
    form.setMaximised(true);  // again: same result
    EXPECT_EQ(form.geometry(), screenArea);

    form.setMaximised(false);
    EXPECT_FALSE(form.isMaximisedState());
    EXPECT_EQ(form.size(), QSize(460, 550));
    EXPECT_EQ(form.geometry(), before);
    // Hidden controls stay hidden through it all.
    EXPECT_FALSE(form.List2->isVisible());
    EXPECT_FALSE(form.LbResult->isVisible());
}

}  // namespace
}  // namespace kelto::ui
