#include "app/DisplayCheck.h"

#include <cstdio>
#include <cstdlib>

namespace kelto::app {

namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

DisplayDecision DecideDisplay(const char* qpaPlatform, const char* display,
                              const char* waylandDisplay) {
    DisplayDecision decision;
    if (IsSet(qpaPlatform)) return decision;
    if (IsSet(waylandDisplay)) {
        decision.platform = "xcb";
        return decision;
    }
    if (IsSet(display)) return decision;
    decision.canStart = false;
    decision.message =
        "kelto-player: no display found; set DISPLAY (or WAYLAND_DISPLAY) to a running desktop "
        "session";
    return decision;
}

int PrepareDisplay() {
    const DisplayDecision decision = DecideDisplay(
        std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    if (!decision.canStart) {
        std::fprintf(stderr, "%s\n", decision.message.c_str());
        return 2;
    }
    if (!decision.platform.empty()) setenv("QT_QPA_PLATFORM", decision.platform.c_str(), 1);
    return 0;
}

}  // namespace kelto::app
