#include "platform/widgets/ListBox.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <type_traits>
#include <vector>

namespace kelto::platform {
namespace {

QStringList Lines(int count, int from) {
    QStringList lines;
    for (int i = 0; i < count; ++i) lines << QStringLiteral("line %1").arg(from + i);
    return lines;
}

QList<int> SelectedRows(const QAbstractItemView& view) {
    QList<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedIndexes()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

enum class Op { AddItems, AddItem, SetCurrent, Remove, Clear };

struct Step {
    const char* name;
    Op op;
    int arg;
};

QStringList Texts(const QListWidget& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) texts << list.item(row)->text();
    return texts;
}

QStringList Texts(const ListBox& list) { return list.texts(); }

template <typename List>
void Apply(List& list, const Step& step) {
    switch (step.op) {
        case Op::AddItems:
            list.addItems(Lines(step.arg, list.count()));
            break;
        case Op::AddItem:
            list.addItem(Lines(1, list.count()).front());
            break;
        case Op::SetCurrent:
            list.setCurrentRow(step.arg);
            break;
        case Op::Remove:
            if constexpr (std::is_same_v<List, QListWidget>) {
                delete list.takeItem(step.arg);
            } else {
                list.removeItem(step.arg);
            }
            break;
        case Op::Clear:
            list.clear();
            break;
    }
}

// The playlist's selection rules (what Add, Remove, Clear and the advance at
// the end of a file leave selected, and which row changes are reported) hold
// on Qt's item-based list box, the reference here; this one must behave the
// same step for step, including the rows it reports as current while a row
// goes away.
TEST(ListBox, SelectionAndCurrentRowFollowTheItemBasedListBox) {
    const Step steps[] = {
        {"fill", Op::AddItems, 5},
        {"select a middle row", Op::SetCurrent, 2},
        {"select it again", Op::SetCurrent, 2},
        {"remove a row above the current one", Op::Remove, 0},
        {"remove the current row", Op::Remove, 1},
        {"select none", Op::SetCurrent, -1},
        {"select past the end", Op::SetCurrent, 7},
        {"select the last row", Op::SetCurrent, 2},
        {"remove the current last row", Op::Remove, 2},
        {"remove a row that is not there", Op::Remove, 9},
        {"remove with a negative row", Op::Remove, -1},
        {"append one", Op::AddItem, 0},
        {"append while a row is current", Op::AddItems, 2},
        {"select the first row", Op::SetCurrent, 0},
        {"clear while a row is current", Op::Clear, 0},
        {"clear when empty", Op::Clear, 0},
        {"select in an empty list", Op::SetCurrent, 0},
        {"refill", Op::AddItems, 3},
        {"select after a clear", Op::SetCurrent, 1},
    };
    QListWidget reference;
    ListBox box;
    QList<int> referenceSignals;
    QList<int> boxSignals;
    QObject::connect(&reference, &QListWidget::currentRowChanged,
                     [&](int row) { referenceSignals << row; });
    QObject::connect(&box, &ListBox::currentRowChanged, [&](int row) { boxSignals << row; });

    for (const Step& step : steps) {
        referenceSignals.clear();
        boxSignals.clear();
        Apply(reference, step);
        Apply(box, step);
        EXPECT_EQ(Texts(box), Texts(reference)) << step.name;
        EXPECT_EQ(box.currentRow(), reference.currentRow()) << step.name;
        EXPECT_EQ(SelectedRows(box), SelectedRows(reference)) << step.name;
        EXPECT_EQ(boxSignals, referenceSignals) << step.name;
    }
}

TEST(ListBox, ABatchIsOneInsertionAndKeepsItsOrder) {
    ListBox box;
    QSignalSpy inserted(box.model(), &QAbstractItemModel::rowsInserted);
    box.addItems(Lines(1000, 0));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 999);

    box.addItems({});
    EXPECT_EQ(inserted.count(), 1) << "an empty batch inserts nothing";

    box.addItems(Lines(3, 1000));
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 1000);
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 1002);
    EXPECT_EQ(box.count(), 1003);
    EXPECT_EQ(box.texts(), Lines(1003, 0));
    EXPECT_EQ(box.model()->data(box.model()->index(1002, 0)).toString(), "line 1002");
}

TEST(ListBox, RowsItDoesNotHaveGiveEmptyTextAndNoRectangle) {
    ListBox box;
    box.addItems({"a", "b"});
    for (int row : {-1, 2, 100}) {
        EXPECT_TRUE(box.text(row).isEmpty()) << row;
        EXPECT_TRUE(box.visualItemRect(row).isEmpty()) << row;
    }
    EXPECT_EQ(box.text(1), "b");
}

TEST(ListBox, DoubleClickReportsTheRowAndEditsNothing) {
    ListBox box;
    box.resize(200, 200);
    box.addItems({"first", "second", "third"});
    QList<int> doubleClicked;
    QObject::connect(&box, &ListBox::rowDoubleClicked, [&](int row) { doubleClicked << row; });
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));

    const QPoint third = box.visualItemRect(2).center();
    QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(doubleClicked, QList<int>{2});
    EXPECT_EQ(box.currentRow(), 2);
    // An editor would open as a line edit inside the list.
    EXPECT_TRUE(box.findChildren<QLineEdit*>().isEmpty());
    QTest::keyClick(&box, Qt::Key_F2);
    EXPECT_TRUE(box.findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(box.text(2), "third");

    // Below the last row there is no row to report.
    QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, QPoint(10, 190));
    EXPECT_EQ(doubleClicked, QList<int>{2});
}

}  // namespace
}  // namespace kelto::platform
