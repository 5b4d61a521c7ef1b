#include "ui/CoveredWindow.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

#include "ui/X11Connection.h"

namespace kelto::ui {

CoveredWindow::CoveredWindow(QWidget* window) : QObject(window), window_(window) {
    xcb_connection_t* connection = ToolkitXcbConnection();
    if (window == nullptr || connection == nullptr) return;
    windowId_ = static_cast<std::uint32_t>(window->winId());
    // The toolkit's own selection on the window is kept; visibility changes
    // are added to it.
    const xcb_get_window_attributes_cookie_t cookie =
        xcb_get_window_attributes(connection, windowId_);
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, cookie, nullptr), &std::free);
    if (!attributes) {
        windowId_ = 0;
        return;
    }
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection, windowId_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CoveredWindow::~CoveredWindow() {
    if (windowId_ != 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool CoveredWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (windowId_ == 0 || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY) return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->window != windowId_ || window_.isNull()) return false;
    const bool covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    if (covered != covered_) {
        covered_ = covered;
        // Switching updates back on repaints the whole window once.
        window_->setUpdatesEnabled(!covered);
        emit coveredChanged(covered);
    }
    return false;
}

}  // namespace kelto::ui
