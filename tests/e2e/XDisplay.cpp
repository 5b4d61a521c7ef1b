#include "tests/e2e/XDisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace kelto::e2e {

namespace {

using namespace std::chrono_literals;

Display* Dpy(void* display) { return static_cast<Display*>(display); }

}  // namespace

bool Rgb::Near(const Rgb& other, int tolerance) const {
    return std::abs(r - other.r) <= tolerance && std::abs(g - other.g) <= tolerance &&
           std::abs(b - other.b) <= tolerance;
}

std::string ToString(const Box& box) {
    return std::to_string(box.width) + "x" + std::to_string(box.height) + "+" +
           std::to_string(box.x) + "+" + std::to_string(box.y);
}

Image::Image(int width, int height, std::vector<Rgb> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Box Image::BoundsOf(const Rgb& colour, std::optional<Box> within) const {
    const Box area = within.value_or(Box{0, 0, width_, height_});
    int left = area.x + area.width, top = area.y + area.height, right = area.x - 1,
        bottom = area.y - 1;
    for (int y = std::max(0, area.y); y < std::min(height_, area.y + area.height); ++y) {
        for (int x = std::max(0, area.x); x < std::min(width_, area.x + area.width); ++x) {
            if (!At(x, y).Near(colour)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < left) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

int Image::Count(const Rgb& colour, const Box& box) const {
    int count = 0;
    for (int y = std::max(0, box.y); y < std::min(height_, box.y + box.height); ++y) {
        for (int x = std::max(0, box.x); x < std::min(width_, box.x + box.width); ++x) {
            count += At(x, y).Near(colour) ? 1 : 0;
        }
    }
    return count;
}

int Image::CountOther(const Rgb& colour, const Box& box) const {
    const int inside = (std::min(height_, box.y + box.height) - std::max(0, box.y)) *
                       (std::min(width_, box.x + box.width) - std::max(0, box.x));
    return std::max(0, inside) - Count(colour, box);
}

void Image::SavePpm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width_ << " " << height_ << "\n255\n";
    for (const Rgb& p : pixels_) {
        out.put(static_cast<char>(p.r)).put(static_cast<char>(p.g)).put(static_cast<char>(p.b));
    }
}

XDisplay::XDisplay(int width, int height, bool withWindowManager) : width_(width), height_(height) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    server_ = std::make_unique<ChildProcess>(
        ChildProcess::Options{.argv = {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", screen,
                                       "-nolisten", "tcp", "-noreset"},
                              .env = {},
                              .workDir = {},
                              .log = {},
                              .readOutput = true});
    // With -displayfd 1, Xvfb writes its display number once it accepts clients.
    const std::string number = server_->ReadLine(60s);
    if (number.empty()) throw std::runtime_error("Xvfb did not start");
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr) throw std::runtime_error("cannot connect to " + name_);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(Dpy(display_), &event, &error, &major, &minor)) {
        throw std::runtime_error("the X server has no XTest");
    }
    // A root that is neither black nor any colour of the window, so that
    // whatever the window fails to cover shows.
    Display* dpy = Dpy(display_);
    XSetWindowBackground(dpy, DefaultRootWindow(dpy), 0x808080);
    XClearWindow(dpy, DefaultRootWindow(dpy));
    XSync(dpy, False);

    if (withWindowManager) {
        windowManager_ = std::make_unique<ChildProcess>(
            ChildProcess::Options{.argv = {"/usr/bin/openbox", "--sm-disable"},
                                  .env = {{"DISPLAY", name_}},
                                  .workDir = {},
                                  .log = {}});
        const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
        const bool up = WaitUntil(
            [&] {
                Atom type = None;
                int format = 0;
                unsigned long count = 0, after = 0;
                unsigned char* data = nullptr;
                XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW,
                                   &type, &format, &count, &after, &data);
                if (data != nullptr) XFree(data);
                return count == 1;
            },
            60s);
        if (!up) throw std::runtime_error("the window manager did not start");
    }
}

XDisplay::~XDisplay() {
    if (display_ != nullptr) XCloseDisplay(Dpy(display_));
    windowManager_.reset();
    server_.reset();
}

void XDisplay::Sync() const { XSync(Dpy(display_), False); }

Image XDisplay::Screenshot() const {
    Display* dpy = Dpy(display_);
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), 0, 0, static_cast<unsigned>(width_),
                              static_cast<unsigned>(height_), AllPlanes, ZPixmap);
    if (image == nullptr) throw std::runtime_error("cannot read the screen");
    std::vector<Rgb> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)) +
                   static_cast<std::size_t>(x)] =
                Rgb{static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                    static_cast<int>(p & 0xff)};
        }
    }
    XDestroyImage(image);
    return Image(width_, height_, std::move(pixels));
}

std::optional<Box> XDisplay::WindowNamed(const std::string& title) const {
    Display* dpy = Dpy(display_);
    std::optional<Box> found;
    std::function<void(Window, int)> visit = [&](Window window, int depth) {
        if (found || depth > 3) return;
        char* name = nullptr;
        if (XFetchName(dpy, window, &name) != 0 && name != nullptr) {
            const bool match = title == name;
            XFree(name);
            XWindowAttributes attributes;
            if (match && XGetWindowAttributes(dpy, window, &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                int x = 0, y = 0;
                Window child = 0;
                XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
                found = Box{x, y, attributes.width, attributes.height};
                return;
            }
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(dpy, window, &root, &parent, &children, &count) == 0) return;
        for (unsigned i = 0; i < count; ++i) visit(children[i], depth + 1);
        if (children != nullptr) XFree(children);
    };
    visit(DefaultRootWindow(dpy), 0);
    return found;
}

bool XDisplay::KeyboardAt(const std::string& title) const {
    if (!windowManager_) return true;
    Display* dpy = Dpy(display_);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    // The focus may sit on the window or on one of its own children.
    for (Window window = focus; window != None && window != DefaultRootWindow(dpy);) {
        char* name = nullptr;
        if (XFetchName(dpy, window, &name) != 0 && name != nullptr) {
            const bool match = title == name;
            XFree(name);
            if (match) return true;
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(dpy, window, &root, &parent, &children, &count) == 0) return false;
        if (children != nullptr) XFree(children);
        window = parent;
    }
    return false;
}

void XDisplay::MoveTo(int x, int y) const {
    XTestFakeMotionEvent(Dpy(display_), -1, x, y, CurrentTime);
    Sync();
}

void XDisplay::Press(int button) const {
    XTestFakeButtonEvent(Dpy(display_), static_cast<unsigned>(button), True, CurrentTime);
    Sync();
}

void XDisplay::Release(int button) const {
    XTestFakeButtonEvent(Dpy(display_), static_cast<unsigned>(button), False, CurrentTime);
    Sync();
}

void XDisplay::Click(int x, int y, int button) const {
    MoveTo(x, y);
    Press(button);
    Release(button);
}

void XDisplay::DoubleClick(int x, int y) const {
    Click(x, y);
    Press();
    Release();
}

void XDisplay::Drag(int fromX, int fromY, int toX, int toY) const {
    MoveTo(fromX, fromY);
    Press();
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        MoveTo(fromX + (toX - fromX) * i / kSteps, fromY + (toY - fromY) * i / kSteps);
    }
    Release();
}

bool XDisplay::WaitForPointerFree() const {
    Display* dpy = Dpy(display_);
    return WaitUntil(
        [&] {
            if (XGrabPointer(dpy, DefaultRootWindow(dpy), False, ButtonPressMask, GrabModeAsync,
                             GrabModeAsync, None, None, CurrentTime) != GrabSuccess) {
                return false;
            }
            XUngrabPointer(dpy, CurrentTime);
            Sync();
            return true;
        },
        60s);
}

void XDisplay::Key(const std::string& keysym, const std::string& modifier) const {
    Display* dpy = Dpy(display_);
    auto keycode = [dpy](const std::string& name) {
        const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(name.c_str()));
        if (code == 0) throw std::invalid_argument("no key for " + name);
        return code;
    };
    const KeyCode code = keycode(keysym);
    const KeyCode held = modifier.empty() ? 0 : keycode(modifier);
    if (held != 0) XTestFakeKeyEvent(dpy, held, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    if (held != 0) XTestFakeKeyEvent(dpy, held, False, CurrentTime);
    Sync();
}

}  // namespace kelto::e2e
