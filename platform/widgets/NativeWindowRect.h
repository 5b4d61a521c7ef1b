#pragma once

#include <QSize>
#include <cstdint>

#include "platform/MciPlatform.h"

class QWidget;

namespace kelto::platform {

// Screen rectangle (right and bottom exclusive) of the widget whose native
// window id is `windowHandle`, in device pixels: the unit of the window system
// and of every window the media service puts inside it, whatever scale the
// desktop sets for the program's own layout. False when no widget of this
// program has that id. GUI thread only.
bool NativeWindowRect(std::int32_t windowHandle, WindowRect& rect);

// Size of `widget` in device pixels, rounded as the toolkit rounds the size of
// its native window.
QSize DeviceSize(const QWidget* widget);

}  // namespace kelto::platform
