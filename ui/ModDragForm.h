#pragma once

class QWidget;

namespace kelto::ui {

// Hands a left press over to the window manager as a press on the title bar
// would be, so the (borderless) window follows the pointer until the button
// is released. Where the window manager cannot do it, the window is moved
// here instead.
void DragForm(QWidget* window);

}  // namespace kelto::ui
