#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "ui/Accessibility.h"
#include "ui/Form1.h"
#include "ui/basScroller.h"

namespace kelto::ui {
namespace {

QString Name(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

// What a reader finds in the window, and what follows the player's state: the
// slider's place against the file, the meter's per cent, the strip's title
// (kept between passes), the key box only in full screen.
TEST(Accessibility, TheWindowAsAReaderFindsIt) {
    Form1 form;
    form.List1->addItems({QStringLiteral("tune.mp3")});
    form.List1->setCurrentRow(0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    std::vector<QObject*> children;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* child = window->child(i);
        EXPECT_EQ(window->indexOfChild(child), i);
        EXPECT_EQ(child->parent()->object(), &form);
        children.push_back(child->object());
    }
    const std::vector<QObject*> shown = {form.Label2,       form.asxToolbar1, form.Meter31,
                                         form.Picture2,     form.cpvSlider1,  form.Check,
                                         form.lbcurrentime, form.asxToolbar2, form.List1,
                                         form.Picture1,     form.LbResult,    form.asxToolbar3};
    EXPECT_EQ(children, shown);
    EXPECT_EQ(Name(form.asxToolbar1->button(1)), QStringLiteral("Play"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.asxToolbar1->button(1))
                  ->text(QAccessible::Description),
              QStringLiteral("Play   F1"));

    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(form.cpvSlider1);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    form.state.totalSeconds = 30;
    form.cpvSlider1->setValue(6);
    EXPECT_EQ(slider->text(QAccessible::Value), QStringLiteral("0:12 of 0:30"));
    // A reader that sets the value seeks as the user would.
    QSignalSpy seeks(form.cpvSlider1, &platform::cpvSlider::Change);
    slider->valueInterface()->setCurrentValue(9);
    EXPECT_EQ(form.cpvSlider1->value(), 9);
    EXPECT_EQ(seeks.size(), 1);

    QAccessibleInterface* meter = QAccessible::queryAccessibleInterface(form.Meter31);
    EXPECT_EQ(meter->role(), QAccessible::ProgressBar);
    form.Meter31->setValue(20);
    EXPECT_EQ(meter->valueInterface()->currentValue().toInt(), 40);
    EXPECT_EQ(meter->text(QAccessible::Value), QStringLiteral("40%"));

    form.lbcurrentime->setText(QStringLiteral("0:09 / 0:30"));
    EXPECT_EQ(Name(form.lbcurrentime), QStringLiteral("0:09 / 0:30"));
    EXPECT_EQ(Name(form.Picture2), QStringLiteral("Title strip"));
    form.TimerscrollTick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Name(form.Picture2) == QStringLiteral("tune.mp3"); }));
    StopScrolling(form.Picture2);
    form.Picture2->cls();
    EXPECT_EQ(Name(form.Picture2), QStringLiteral("tune.mp3"));

    form.setMaximised(true);
    EXPECT_EQ(window->child(window->childCount() - 2)->object(), form.txtfull);
    form.setMaximised(false);
    EXPECT_EQ(window->childCount(), static_cast<int>(shown.size()));
}

}  // namespace
}  // namespace kelto::ui
