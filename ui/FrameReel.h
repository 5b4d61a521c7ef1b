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
// costs the program one small request instead of a repaint.
//
// A play is paced by the server itself where it can be: all of its copies
// are sent at once on a connection of the reel's own, each held back by the
// server until its time comes, so the program does not wake for a frame at
// all. A play whose every frame must be reported as it goes out, or one on a
// server without the synchronisation extension, is paced by a thread of the
// reel's own instead, which wakes once a frame. That thread lives as long as
// the reel and waits for the next play in between.
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

    // Shows frames `first` to the last, waiting `delay` before each one.
    // With `shown`, it is called on the pacing thread with each frame's
    // index after the frame went out; without it, the server paces the play
    // where it can. `ended` is called once on the pacing thread, after the
    // last frame, unless the play was stopped.
    void Play(int first, std::chrono::nanoseconds delay, Target target,
              std::function<void(int)> shown, std::function<void()> ended);
    // Returns once the play has stopped; nothing is shown after.
    void Stop();
    // Frames of the current or last play shown so far, counting from `first`
    // (while the server paces a play, as many as their times have come).
    int Shown() const;
    // Whether the server paces plays without reports.
    bool ServerPaced() const { return pacer_ != nullptr; }

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
        bool byServer = false;
        std::int64_t generation = 0;
    };

    FrameReel(xcb_connection_t* connection, QSize size, int count, std::uint8_t depth);
    void CopyOut(int index, const Target& target);
    void SetClip(const Target& target);
    static void SetClipOn(xcb_connection_t* connection, std::uint32_t gc, const Target& target);
    void SetUpServerPacing(std::uint32_t window);
    void Pace();
    // Run one play; false when it was stopped before its end.
    bool RunJob(std::unique_lock<std::mutex>& lock, const Job& job);
    bool RunServerJob(std::unique_lock<std::mutex>& lock, const Job& job);
    int ServerShownNow() const;

    xcb_connection_t* connection_;
    QSize size_;
    int count_;
    std::uint8_t depth_;
    std::uint32_t pixmap_ = 0;
    std::uint32_t gc_ = 0;

    std::thread pacerThread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<Job> job_;
    bool playing_ = false;
    bool stop_ = false;
    bool quit_ = false;
    std::atomic<int> shown_{0};

    // Server pacing: the copies go out on `pacer_`, held back by waits on
    // the server's clock; `control_` can end them early, as the pacer's own
    // connection is held up by then. A play stopped early gets an empty clip
    // first, then the counter `cancel_` that ends every wait is set to its
    // generation.
    xcb_connection_t* pacer_ = nullptr;
    xcb_connection_t* control_ = nullptr;
    std::uint32_t serverTime_ = 0;
    std::uint32_t cancel_ = 0;
    std::uint32_t serverGc_ = 0;
    std::int64_t generation_ = 0;
    bool byServer_ = false;
    int serverFrames_ = 0;
    std::chrono::steady_clock::time_point serverStart_;
    std::chrono::nanoseconds serverDelay_{0};
    std::atomic<int> stoppedAt_{-1};
};

}  // namespace kelto::ui
