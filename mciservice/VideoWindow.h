#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelto::mciservice {

// The device's own X11 window, a child of the window the caller named (or a
// top-level window when the caller named none and wants one), into which the
// video sink draws. Owning it lets "put window" move and size the picture with
// plain window calls, as the command language expects of a child window.
class VideoWindow {
public:
    // Null when there is no display, or `parent` is not a window on it. A
    // `parent` of 0 makes a top-level window. The window starts unmapped.
    static std::unique_ptr<VideoWindow> Create(std::uint64_t parent);

    VideoWindow(const VideoWindow&) = delete;
    VideoWindow& operator=(const VideoWindow&) = delete;
    ~VideoWindow();

    std::uint64_t Handle() const { return window_; }
    // Places the window inside its parent and shows it.
    void Place(int x, int y, int width, int height);
    void SetVisible(bool visible);
    // The caption a top-level window shows.
    void SetTitle(const std::string& title);
    // True when part of the window has been uncovered since the last call, so
    // that the picture in it must be drawn again: the sink does not watch the
    // window itself (that would take clicks from the window underneath).
    bool TakeExposed();

    // Whether `handle` is a window on the display.
    static bool IsWindow(std::uint64_t handle);
    // Moves the window into `parent` (0: back into the one it was made in),
    // filling it when it is another's: false when `parent` is no window.
    // `width` and `height` become the size the window has there.
    bool MoveInto(std::uint64_t parent, int& width, int& height);

private:
    struct DisplayCloser {
        void operator()(void* display) const;
    };
    VideoWindow(std::unique_ptr<void, DisplayCloser> display, std::uint64_t window);

    std::unique_ptr<void, DisplayCloser> display_;
    std::uint64_t window_ = 0;
    std::uint64_t firstParent_ = 0;
};

}  // namespace kelto::mciservice
