#pragma once

namespace kelto::ui {

// True when a window manager runs on the display the program's windows are
// on: it then decides the size and place of a maximised window (and of the
// window it restores), and the program must not send sizes of its own in the
// meantime, or the manager takes them for the normal size to restore.
bool WindowManagerRuns();

}  // namespace kelto::ui
