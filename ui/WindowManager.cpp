#include "ui/WindowManager.h"

// Qt's headers first: Xlib's macros (Bool, Status) break them.
#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kelto::ui {

namespace {

// The manager names a window of its own on the root window, and names it
// again on that window; a name left behind by a manager that has gone points
// nowhere or elsewhere.
Window SupportingWindow(Display* display, Window window, Atom check) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Window named = None;
    if (XGetWindowProperty(display, window, check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32) {
        named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return named;
}

int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool WindowManagerRuns() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) return false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Window named = SupportingWindow(display, DefaultRootWindow(display), check);
    if (named == None) return false;
    // The named window may be gone with its manager: ask without letting the
    // error end the program.
    XSync(display, False);
    const XErrorHandler previous = XSetErrorHandler(IgnoreError);
    const bool confirmed = SupportingWindow(display, named, check) == named;
    XSync(display, False);
    XSetErrorHandler(previous);
    return confirmed;
}

}  // namespace kelto::ui
