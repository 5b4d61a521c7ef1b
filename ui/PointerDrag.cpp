#include "ui/PointerDrag.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace kelto::ui {

PointerDrag* PointerDrag::Start(QWidget* window, QPoint pressedAt) {
    if (window == nullptr || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return nullptr;
    return new PointerDrag(window, pressedAt - window->pos());
}

PointerDrag::PointerDrag(QWidget* window, const QPoint& grabOffset)
    : QObject(window), window_(window), grabOffset_(grabOffset) {
    window->installEventFilter(this);
    window->grabMouse();
}

bool PointerDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            if (!(move->buttons() & Qt::LeftButton)) {
                end();
                return true;
            }
            window_->move(move->globalPosition().toPoint() - grabOffset_);
            return true;
        }
        case QEvent::MouseButtonRelease:
            end();
            return true;
        case QEvent::Hide:
        case QEvent::Close:
            end();
            return false;
        default:
            return false;
    }
}

void PointerDrag::end() {
    if (window_) {
        window_->removeEventFilter(this);
        window_->releaseMouse();
    }
    deleteLater();
}

}  // namespace kelto::ui
