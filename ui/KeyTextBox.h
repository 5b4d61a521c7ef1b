#pragma once

#include <QLineEdit>

namespace kelto::ui {

// A text box that reports every key going down, by virtual-key code and
// shift state, before handling the key as usual.
class KeyTextBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void KeyDown(int keyCode, int shift);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
};

}  // namespace kelto::ui
