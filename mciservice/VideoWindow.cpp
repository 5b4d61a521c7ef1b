#include "mciservice/VideoWindow.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>

namespace kelto::mciservice {

namespace {

// Xlib's default reaction to a protocol error is to end the process. A window
// id handed to us may be stale or made up, so the calls that use it run with
// errors trapped instead.
bool g_trappedError = false;

int TrapError(Display*, XErrorEvent*) {
    g_trappedError = true;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        g_trappedError = false;
        previous_ = XSetErrorHandler(TrapError);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    bool Failed() {
        XSync(display_, False);
        return g_trappedError;
    }

private:
    Display* display_;
    XErrorHandler previous_ = nullptr;
};

Display* AsDisplay(void* display) { return static_cast<Display*>(display); }

}  // namespace

void VideoWindow::DisplayCloser::operator()(void* display) const {
    XCloseDisplay(AsDisplay(display));
}

std::unique_ptr<VideoWindow> VideoWindow::Create(std::uint64_t parent) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    std::unique_ptr<void, DisplayCloser> display{XOpenDisplay(nullptr)};
    if (!display) {
        return nullptr;
    }
    Display* dpy = AsDisplay(display.get());
    const Window parentWindow = parent == 0 ? DefaultRootWindow(dpy) : static_cast<Window>(parent);
    Window window = 0;
    {
        ErrorTrap trap(dpy);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(dpy, parentWindow, &attributes) == 0 || trap.Failed()) {
            return nullptr;
        }
        window = XCreateSimpleWindow(dpy, parentWindow, 0, 0, 1, 1, 0, 0,
                                     BlackPixel(dpy, DefaultScreen(dpy)));
        // Only exposures: presses must still reach the window underneath.
        XSelectInput(dpy, window, ExposureMask);
        if (trap.Failed()) {
            return nullptr;
        }
    }
    if (parent == 0) {
        XStoreName(dpy, window, "Kelto video");
        // Without this the window manager's close button would cut our display
        // connection, and Xlib ends the process when that happens.
        Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(dpy, window, &deleteWindow, 1);
    }
    XFlush(dpy);
    std::unique_ptr<VideoWindow> made(new VideoWindow(std::move(display), window));
    made->firstParent_ = parentWindow;
    return made;
}

VideoWindow::VideoWindow(std::unique_ptr<void, DisplayCloser> display, std::uint64_t window)
    : display_(std::move(display)), window_(window) {}

VideoWindow::~VideoWindow() {
    Display* dpy = AsDisplay(display_.get());
    // The parent may already be gone, taking our window with it.
    ErrorTrap trap(dpy);
    XDestroyWindow(dpy, static_cast<Window>(window_));
}

bool VideoWindow::TakeExposed() {
    Display* dpy = AsDisplay(display_.get());
    bool exposed = false;
    XEvent event;
    while (XCheckWindowEvent(dpy, static_cast<Window>(window_), ExposureMask, &event)) {
        exposed = true;
    }
    return exposed;
}

void VideoWindow::Place(int x, int y, int width, int height) {
    Display* dpy = AsDisplay(display_.get());
    ErrorTrap trap(dpy);
    XMoveResizeWindow(dpy, static_cast<Window>(window_), x, y,
                      static_cast<unsigned>(std::max(width, 1)),
                      static_cast<unsigned>(std::max(height, 1)));
    XMapRaised(dpy, static_cast<Window>(window_));
}

}  // namespace kelto::mciservice

namespace kelto::mciservice {

void VideoWindow::SetVisible(bool visible) {
    Display* dpy = AsDisplay(display_.get());
    ErrorTrap trap(dpy);
    if (visible) {
        XMapRaised(dpy, static_cast<Window>(window_));
    } else {
        XUnmapWindow(dpy, static_cast<Window>(window_));
    }
    XFlush(dpy);
}

void VideoWindow::SetTitle(const std::string& title) {
    Display* dpy = AsDisplay(display_.get());
    ErrorTrap trap(dpy);
    XStoreName(dpy, static_cast<Window>(window_), title.c_str());
    XFlush(dpy);
}

}  // namespace kelto::mciservice

namespace kelto::mciservice {

bool VideoWindow::IsWindow(std::uint64_t handle) {
    const char* name = std::getenv("DISPLAY");
    if (handle == 0 || name == nullptr || *name == '\0') {
        return false;
    }
    const std::unique_ptr<void, DisplayCloser> display{XOpenDisplay(nullptr)};
    if (!display) {
        return false;
    }
    Display* dpy = AsDisplay(display.get());
    ErrorTrap trap(dpy);
    XWindowAttributes attributes;
    return XGetWindowAttributes(dpy, static_cast<Window>(handle), &attributes) != 0 &&
           !trap.Failed();
}

bool VideoWindow::MoveInto(std::uint64_t parent, int& width, int& height) {
    Display* dpy = AsDisplay(display_.get());
    const auto target = static_cast<Window>(parent == 0 ? firstParent_ : parent);
    ErrorTrap trap(dpy);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(dpy, target, &attributes) == 0 || trap.Failed()) {
        return false;
    }
    XReparentWindow(dpy, static_cast<Window>(window_), target, 0, 0);
    if (parent != 0) {
        width = attributes.width;
        height = attributes.height;
    }
    XMoveResizeWindow(dpy, static_cast<Window>(window_), 0, 0,
                      static_cast<unsigned>(std::max(width, 1)),
                      static_cast<unsigned>(std::max(height, 1)));
    XMapRaised(dpy, static_cast<Window>(window_));
    return !trap.Failed();
}

}  // namespace kelto::mciservice
