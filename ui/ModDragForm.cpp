#include "ui/ModDragForm.h"

#include <QWidget>
#include <QWindow>

#include "ui/PointerDrag.h"

namespace kelto::ui {

void DragForm(QWidget* window, QPoint pressedAt) {
    if (window == nullptr) return;
    QWidget* top = window->window();
    // Let go of the pointer the press gave us, so the move can take it.
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QWindow* handle = top->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) return;
    PointerDrag::Start(top, pressedAt);
}

}  // namespace kelto::ui
