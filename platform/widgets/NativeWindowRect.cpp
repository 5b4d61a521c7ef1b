#include "platform/widgets/NativeWindowRect.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

namespace kelto::platform {

namespace {

bool MeasureOnGuiThread(std::int32_t windowHandle, WindowRect& rect) {
    // X11 ids are unsigned 32-bit values carried in a signed field.
    const auto id = static_cast<WId>(static_cast<std::uint32_t>(windowHandle));
    if (id == 0) return false;
    const QWidget* widget = QWidget::find(id);
    if (widget == nullptr) return false;
    const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
    rect.left = topLeft.x();
    rect.top = topLeft.y();
    rect.right = topLeft.x() + widget->width();
    rect.bottom = topLeft.y() + widget->height();
    return true;
}

}  // namespace

bool NativeWindowRect(std::int32_t windowHandle, WindowRect& rect) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return false;
    if (QThread::currentThread() == app->thread()) return MeasureOnGuiThread(windowHandle, rect);
    bool found = false;
    WindowRect measured;
    QMetaObject::invokeMethod(
        app, [&] { found = MeasureOnGuiThread(windowHandle, measured); },
        Qt::BlockingQueuedConnection);
    if (found) rect = measured;
    return found;
}

}  // namespace kelto::platform
