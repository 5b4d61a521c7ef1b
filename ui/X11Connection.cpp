#include "ui/X11Connection.h"

#include <QGuiApplication>

namespace kelto::ui {

xcb_connection_t* ToolkitXcbConnection() {
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace kelto::ui
