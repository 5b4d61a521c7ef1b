#pragma once

#include <cstdint>

#include "platform/MciPlatform.h"

namespace kelto::platform {

// Screen rectangle (right and bottom exclusive) of the widget whose native
// window id is `windowHandle`. False when no widget of this program has that
// id. Safe to call from any thread: widgets are only touched on the GUI thread.
bool NativeWindowRect(std::int32_t windowHandle, WindowRect& rect);

}  // namespace kelto::platform
