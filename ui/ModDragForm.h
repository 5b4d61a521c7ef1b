#pragma once

#include <QPoint>

class QWidget;

namespace kelto::ui {

// Hands a left press over to the window manager as a press on the title bar
// would be, so the (borderless) window follows the pointer until the button
// is released. Where the window manager cannot do it, the window is moved
// here instead, keeping the point of the window that was pressed (`pressedAt`,
// on the screen) under the pointer; the pointer may have moved on by the time
// the press is handled.
void DragForm(QWidget* window, QPoint pressedAt);

}  // namespace kelto::ui
