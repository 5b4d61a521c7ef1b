#include "platform/widgets/NativeWindowRect.h"

#include <QWidget>

namespace kelto::platform {

QSize DeviceSize(const QWidget* widget) { return widget->size() * widget->devicePixelRatioF(); }

bool NativeWindowRect(std::int32_t windowHandle, WindowRect& rect) {
    // X11 ids are unsigned 32-bit values carried in a signed field.
    const auto id = static_cast<WId>(static_cast<std::uint32_t>(windowHandle));
    if (id == 0) return false;
    const QWidget* widget = QWidget::find(id);
    if (widget == nullptr) return false;
    const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0)) * widget->devicePixelRatioF();
    const QSize size = DeviceSize(widget);
    rect.left = topLeft.x();
    rect.top = topLeft.y();
    rect.right = topLeft.x() + size.width();
    rect.bottom = topLeft.y() + size.height();
    return true;
}

}  // namespace kelto::platform
