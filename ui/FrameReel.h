#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

namespace kelto::ui {

// The frames of an animation kept on the X server, one under the other in a
// pixmap, and played into a window by the server itself: every copy of a
// play is sent at once on a connection of the reel's own, each held back by
// a wait on the server's clock (the synchronisation extension), so the
// program does not wake for a frame. It wakes when the last frame is due, to
// hear that the play is over. Lives on the window's thread, as a child of
// the widget it draws for, and holds one animation at a time.
class FrameReel : public QObject {
    Q_OBJECT
public:
    // Where frames go: a rectangle of `window` (device pixels) and the parts
    // of it the frames may draw on, relative to its top left. With none, a
    // play keeps its time and shows nothing.
    struct Target {
        std::uint32_t window = 0;
        QPoint topLeft;
        std::vector<QRect> visible;
    };

    // A reel for windows like `window`, or nullptr where the program's windows
    // are not on X11, the server lacks the extension, or its pixels are not
    // the toolkit's 32-bit words.
    static FrameReel* Create(QObject* parent, std::uint32_t window);
    ~FrameReel() override;

    // Makes `count` frames of `size` device pixels, drawn by `frame(index)`,
    // in place of the ones it held, unless those were made under the same
    // `key`. False when they would take more of the server than a title
    // strip should.
    bool Load(const QByteArray& key, QSize size, int count,
              const std::function<QImage(int)>& frame);
    std::uint32_t window() const { return window_; }

    // Shows frames `first` to the last, waiting `delay` before each, and
    // calls `ended` after the last one unless the play was stopped first.
    void Play(int first, std::chrono::milliseconds delay, const Target& target,
              std::function<void()> ended);
    // Nothing more of the play is drawn; the copies still queued go through
    // at once with nothing to draw on.
    void Stop();
    // Frames of the animation whose time has come in the current or last
    // play, those before its first included.
    int Shown() const;

    // The most server memory one reel may take, and the longest play: every
    // copy of a play waits in the connection's socket until its turn.
    static constexpr std::int64_t kMaxBytes = 32LL * 1024 * 1024;
    static constexpr int kMaxFrames = 600;

private:
    FrameReel(QObject* parent, xcb_connection_t* toolkit, xcb_connection_t* pacer);
    void OnPacerReadable();

    xcb_connection_t* toolkit_;
    xcb_connection_t* pacer_;
    QSocketNotifier* notifier_ = nullptr;
    std::uint8_t depth_ = 24;
    std::uint32_t window_ = 0;
    std::uint32_t serverTime_ = 0;
    std::chrono::milliseconds serverClockAhead_{0};
    std::uint32_t gate_ = 0;
    std::int64_t gateValue_ = 0;
    std::uint32_t gc_ = 0;
    std::uint32_t pixmap_ = 0;
    QByteArray key_;
    QSize size_;
    int count_ = 0;

    bool playing_ = false;
    unsigned int endCookie_ = 0;
    std::function<void()> ended_;
    int first_ = 0;
    int shown_ = 0;
    std::chrono::steady_clock::time_point playStart_;
    std::chrono::milliseconds delay_{0};
};

}  // namespace kelto::ui
