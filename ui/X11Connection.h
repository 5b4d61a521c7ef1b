#pragma once

struct xcb_connection_t;

namespace kelto::ui {

// The toolkit's own connection to the X server, or nullptr where the
// program's windows are not on X11 (offscreen, Wayland).
xcb_connection_t* ToolkitXcbConnection();

}  // namespace kelto::ui
