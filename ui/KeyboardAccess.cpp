#include "ui/KeyboardAccess.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <vector>

#include "ui/FocusMark.h"
#include "ui/Form1.h"

namespace kelto::ui {

namespace {

bool IsReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The keys the controls' own classes leave out: Return on a button and on the
// tick box, Return and Delete on a playlist entry.
class ControlKeys : public QObject {
public:
    ControlKeys(Form1& form, const std::vector<QWidget*>& watched) : QObject(&form), form_(form) {
        for (QWidget* widget : watched) widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        if (watched == form_.List1) return playlistKey(key);
        if (IsReturn(key)) {
            // Space is the buttons' own; Return presses them the same way.
            if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
                button->click();
                return true;
            }
        }
        return false;
    }

private:
    bool playlistKey(const QKeyEvent* key) {
        const int row = form_.List1->currentRow();
        if (row < 0) return false;
        if (IsReturn(key)) {
            // As a double-click on the entry: its click handling already ran
            // when it became the current entry.
            emit form_.List1->rowDoubleClicked(row);
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            form_.asxToolbar2->button(2)->click();
            return true;
        }
        return false;
    }

    Form1& form_;
};

}  // namespace

void EnableKeyboardAccess(Form1& form) {
    std::vector<QWidget*> order;
    for (int i = 1; i <= form.asxToolbar1->buttonCount(); ++i) {
        order.push_back(form.asxToolbar1->button(i));
    }
    order.insert(order.end(), {form.Picture2, form.cpvSlider1, form.Check});
    for (int i = 1; i <= form.asxToolbar2->buttonCount(); ++i) {
        order.push_back(form.asxToolbar2->button(i));
    }
    order.insert(order.end(), {form.List1, form.Picture1});
    for (int i = 1; i <= form.asxToolbar3->buttonCount(); ++i) {
        order.push_back(form.asxToolbar3->button(i));
    }
    // The hidden controls trail the chain; Tab passes over them.
    order.insert(order.end(), {form.Text1, form.cmdclose, form.List2});

    for (QWidget* widget : order) {
        // Buttons come by Tab only, so a click leaves the focus where it was.
        if (qobject_cast<QAbstractButton*>(widget) != nullptr && widget != form.Check &&
            widget != form.cmdclose) {
            widget->setFocusPolicy(Qt::TabFocus);
        }
    }
    new ControlKeys(form, order);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): form's child
    form.cpvSlider1->setFocusPolicy(Qt::StrongFocus);
    // Full screen gives the key box the focus itself; in the window it would
    // be a stop nobody sees.
    form.txtfull->setFocusPolicy(Qt::ClickFocus);
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);

    new FocusMark(&form, QColor(0, 255, 0));
}

}  // namespace kelto::ui
