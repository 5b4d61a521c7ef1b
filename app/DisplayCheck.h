#pragma once

#include <string>

namespace kelto::app {

struct DisplayDecision {
    bool canStart = true;
    // Platform to select before Qt starts; empty to leave the choice alone.
    std::string platform;
    // One line for stderr when the program cannot start.
    std::string message;
};

// Decides from the environment how the window can come up. The video is
// embedded into an X11 window, so under Wayland the program runs through
// XWayland unless the user picked a platform; with no display at all it stops
// with a plain message instead of letting Qt abort. Null or empty means unset.
DisplayDecision DecideDisplay(const char* qpaPlatform, const char* display,
                              const char* waylandDisplay);

// Applies DecideDisplay to this process: sets QT_QPA_PLATFORM when needed, or
// prints the message. Returns 0 to go on, or the exit status to stop with.
int PrepareDisplay();

}  // namespace kelto::app
