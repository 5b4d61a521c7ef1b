#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct xcb_connection_t;

namespace kelto::ui {

// The frames of an animation kept on the X server, one under the other in a
// pixmap, and shown by copying one at a time into a window. Showing a frame
// costs the program one small request instead of a repaint, and a thread of
// its own paces the frames, so the window's thread sleeps between them. The
// thread lives as long as the reel and waits for the next play in between.
// Everything but the pacing thread is used from the window's thread.
class FrameReel {
public:
    // Where frames go: a rectangle of `window` (device pixels) and the parts
    // of it the frame may draw on, relative to its top left.
    struct Target {
        std::uint32_t window = 0;
        QPoint topLeft;
        std::vector<QRect> visible;
    };

    // Room for `count` frames of `size` device pixels for windows like
    // `window`, or nullptr where the display does not store 24-bit pixels as
    // 32-bit words in the toolkit's byte order, or the frames would take more
    // of the server's memory than a title strip should.
    static std::unique_ptr<FrameReel> Create(xcb_connection_t* connection, std::uint32_t window,
                                             QSize size, int count);
    ~FrameReel();
    FrameReel(const FrameReel&) = delete;
    FrameReel& operator=(const FrameReel&) = delete;

    // Stores frame `index`; the image must be `size()` device pixels.
    void Put(int index, const QImage& frame);
    // Shows frame `index` at once.
    void Show(int index, const Target& target);

    // Shows frames `first` to the last on the pacing thread, waiting `delay`
    // before each one as measured from the end of the one before. `shown`
    // is called on that thread with each frame's index after it went out;
    // `ended` once, after the last.
    void Play(int first, std::chrono::nanoseconds delay, Target target,
              std::function<void(int)> shown, std::function<void()> ended);
    // Returns once the play has stopped; nothing is shown after.
    void Stop();
    // Frames of the current or last play shown so far, counting from `first`.
    int Shown() const { return shown_.load(); }

    QSize size() const { return size_; }
    int count() const { return count_; }

    // The most server memory one reel may take.
    static constexpr std::int64_t kMaxBytes = 32LL * 1024 * 1024;

private:
    struct Job {
        int first = 0;
        std::chrono::nanoseconds delay{0};
        Target target;
        std::function<void(int)> shown;
        std::function<void()> ended;
    };

    FrameReel(xcb_connection_t* connection, QSize size, int count, std::uint8_t depth);
    void CopyOut(int index, const Target& target);
    void SetClip(const Target& target);
    void Pace();
    // Runs one play; false when it was stopped before its end.
    bool RunJob(std::unique_lock<std::mutex>& lock, const Job& job);

    xcb_connection_t* connection_;
    QSize size_;
    int count_;
    std::uint8_t depth_;
    std::uint32_t pixmap_ = 0;
    std::uint32_t gc_ = 0;

    std::thread pacer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> job_;
    bool playing_ = false;
    bool stop_ = false;
    bool quit_ = false;
    std::atomic<int> shown_{0};
};

}  // namespace kelto::ui
