#include "ui/KeyTextBox.h"

#include <QKeyEvent>

#include "ui/InputCodes.h"

namespace kelto::ui {

bool KeyTextBox::event(QEvent* event) {
    // Tab would otherwise move the focus before keyPressEvent sees it.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            emit KeyDown(VirtualKeyCode(key->key()), ShiftCode(key->modifiers()));
        }
    }
    return QLineEdit::event(event);
}

void KeyTextBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) {
        emit KeyDown(VirtualKeyCode(event->key()), ShiftCode(event->modifiers()));
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace kelto::ui
