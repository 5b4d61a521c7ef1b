#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/ChildProcess.h"

namespace kelto::e2e {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    // Within `tolerance` on every channel: decoded video never gives back the
    // exact colour it was made from.
    bool Near(const Rgb& other, int tolerance = 40) const;
};

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
    bool operator==(const Box&) const = default;
};
std::string ToString(const Box& box);

// One screenshot of the whole screen.
class Image {
public:
    Image(int width, int height, std::vector<Rgb> pixels);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
    // Smallest box holding every pixel near `colour` inside `within` (the
    // whole screen by default).
    Box BoundsOf(const Rgb& colour, std::optional<Box> within = std::nullopt) const;
    // Pixels inside `box` that are not near `colour`.
    int CountOther(const Rgb& colour, const Box& box) const;
    // Pixels inside `box` near `colour`.
    int Count(const Rgb& colour, const Box& box) const;
    void SavePpm(const std::string& path) const;

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// A private X server (Xvfb) for one test, optionally with a window manager,
// and a connection to it that reads the screen and sends input through XTest
// as a person's mouse and keyboard would.
class XDisplay {
public:
    XDisplay(int width, int height, bool withWindowManager);
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;
    ~XDisplay();

    const std::string& Name() const { return name_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    Image Screenshot() const;
    // Screen rectangle of the top-level window with that title, if it is shown.
    std::optional<Box> WindowNamed(const std::string& title) const;
    // Whether the keyboard goes to that window now, or no window manager
    // decides where it goes (the pointer does then).
    bool KeyboardAt(const std::string& title) const;
    bool WithWindowManager() const { return windowManager_ != nullptr; }

    void MoveTo(int x, int y) const;
    void Press(int button = 1) const;
    void Release(int button = 1) const;
    void Click(int x, int y, int button = 1) const;
    void DoubleClick(int x, int y) const;
    // A press at one point, a move in steps and a release at the other.
    void Drag(int fromX, int fromY, int toX, int toY) const;
    // By keysym name: "Escape", "F1", ..., held with a modifier's ("Shift_L") when one is given.
    void Key(const std::string& keysym, const std::string& modifier = "") const;
    // Waits until no client holds the pointer (a window manager ending an
    // interactive move), so that the next click reaches the window under it.
    bool WaitForPointerFree() const;

private:
    void Sync() const;

    int width_;
    int height_;
    std::string name_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    void* display_ = nullptr;
};

}  // namespace kelto::e2e
