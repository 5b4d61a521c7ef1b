#include "ui/FrameReel.h"

#include <xcb/xcb.h>

#include <pthread.h>

#include <QSysInfo>
#include <algorithm>
#include <cstdlib>

#include "ui/SyncCounters.h"

namespace kelto::ui {

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem > 0;
         xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem > 0;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == id) return visuals.data;
            }
        }
    }
    return nullptr;
}

// Frames are laid out as the toolkit paints: 32-bit words of 0xAARRGGBB in
// the machine's byte order. The server must take exactly that for the
// window's depth, or the copies would not be the toolkit's pixels.
bool TakesToolkitPixels(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth) {
    if (depth != 24 && depth != 32) return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool hostLsbFirst = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != hostLsbFirst) return false;
    bool wordPixels = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == depth) {
            wordPixels = formats.data->bits_per_pixel == 32 && formats.data->scanline_pad == 32;
        }
    }
    if (!wordPixels) return false;
    const auto attributes = Owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!attributes) return false;
    const xcb_visualtype_t* visual = FindVisual(setup, attributes->visual);
    return visual != nullptr && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
           visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
           visual->blue_mask == 0xff;
}

void RoundTrip(xcb_connection_t* connection) {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

}  // namespace

std::unique_ptr<FrameReel> FrameReel::Create(xcb_connection_t* connection, std::uint32_t window,
                                             QSize size, int count) {
    if (connection == nullptr || window == 0 || size.isEmpty() || count < 1) return nullptr;
    const std::int64_t bytes = static_cast<std::int64_t>(size.width()) * size.height() * 4 * count;
    // A pixmap is at most 32767 pixels tall.
    if (bytes > kMaxBytes || static_cast<std::int64_t>(size.height()) * count > 32767) {
        return nullptr;
    }
    const auto geometry =
        Owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry || !TakesToolkitPixels(connection, window, geometry->depth)) return nullptr;
    std::unique_ptr<FrameReel> reel(new FrameReel(connection, size, count, geometry->depth));
    reel->pixmap_ = xcb_generate_id(connection);
    const xcb_void_cookie_t made = xcb_create_pixmap_checked(
        connection, reel->depth_, reel->pixmap_, window, static_cast<std::uint16_t>(size.width()),
        static_cast<std::uint16_t>(size.height() * count));
    if (auto error = Owned(xcb_request_check(connection, made))) {
        reel->pixmap_ = 0;
        return nullptr;
    }
    reel->gc_ = xcb_generate_id(connection);
    // No exposure events for copies: the source is never obscured, and they
    // would land in the toolkit's event queue.
    const std::uint32_t noExposures = 0;
    xcb_create_gc(connection, reel->gc_, reel->pixmap_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    reel->SetUpServerPacing(window);
    return reel;
}

FrameReel::FrameReel(xcb_connection_t* connection, QSize size, int count, std::uint8_t depth)
    : connection_(connection), size_(size), count_(count), depth_(depth) {}

void FrameReel::SetUpServerPacing(std::uint32_t window) {
    xcb_connection_t* pacer = xcb_connect(nullptr, nullptr);
    xcb_connection_t* control = xcb_connect(nullptr, nullptr);
    const auto usable = [&] {
        if (xcb_connection_has_error(pacer) != 0 || xcb_connection_has_error(control) != 0) {
            return false;
        }
        // The same server as the toolkit's: the window is known there.
        const auto geometry =
            Owned(xcb_get_geometry_reply(control, xcb_get_geometry(control, window), nullptr));
        return geometry && SyncCounters::Available(pacer) && SyncCounters::Available(control);
    };
    if (!usable() || (serverTime_ = SyncCounters::SystemCounter(pacer, "SERVERTIME")) == 0) {
        xcb_disconnect(pacer);
        xcb_disconnect(control);
        return;
    }
    cancel_ = xcb_generate_id(control);
    SyncCounters::Create(control, cancel_, 0);
    serverGc_ = xcb_generate_id(control);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(control, serverGc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    RoundTrip(control);  // both exist before the pacer's first wait names them
    pacer_ = pacer;
    control_ = control;
}

FrameReel::~FrameReel() {
    Stop();
    if (pacerThread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        pacerThread_.join();
    }
    if (control_ != nullptr) {
        xcb_free_gc(control_, serverGc_);
        SyncCounters::Destroy(control_, cancel_);
        xcb_disconnect(control_);
        xcb_disconnect(pacer_);
    }
    if (gc_ != 0) xcb_free_gc(connection_, gc_);
    if (pixmap_ != 0) xcb_free_pixmap(connection_, pixmap_);
    xcb_flush(connection_);
}

void FrameReel::Put(int index, const QImage& frame) {
    if (index < 0 || index >= count_ || frame.size() != size_) return;
    const QImage pixels = frame.format() == QImage::Format_RGB32 ||
                                  frame.format() == QImage::Format_ARGB32_Premultiplied
                              ? frame
                              : frame.convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::uint32_t>(size_.width()) * 4;
    // Requests are bounded in size; a tall frame goes in bands of rows.
    const std::uint32_t maxRequest = xcb_get_maximum_request_length(connection_) * 4;
    const int rowsPerRequest =
        std::max(1, static_cast<int>((maxRequest - 64) / std::max<std::uint32_t>(rowBytes, 1)));
    for (int row = 0; row < size_.height(); row += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, size_.height() - row);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, gc_,
                      static_cast<std::uint16_t>(size_.width()), static_cast<std::uint16_t>(rows),
                      0, static_cast<std::int16_t>(index * size_.height() + row), 0, depth_,
                      rowBytes * static_cast<std::uint32_t>(rows), pixels.constScanLine(row));
    }
    xcb_flush(connection_);
}

void FrameReel::SetClip(const Target& target) { SetClipOn(connection_, gc_, target); }

void FrameReel::SetClipOn(xcb_connection_t* connection, std::uint32_t gc, const Target& target) {
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(target.visible.size());
    for (const QRect& r : target.visible) {
        rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                         static_cast<std::uint16_t>(r.width()),
                         static_cast<std::uint16_t>(r.height())});
    }
    xcb_set_clip_rectangles(connection, XCB_CLIP_ORDERING_UNSORTED, gc,
                            static_cast<std::int16_t>(target.topLeft.x()),
                            static_cast<std::int16_t>(target.topLeft.y()),
                            static_cast<std::uint32_t>(rects.size()), rects.data());
}

void FrameReel::CopyOut(int index, const Target& target) {
    xcb_copy_area(connection_, pixmap_, target.window, gc_, 0,
                  static_cast<std::int16_t>(index * size_.height()),
                  static_cast<std::int16_t>(target.topLeft.x()),
                  static_cast<std::int16_t>(target.topLeft.y()),
                  static_cast<std::uint16_t>(size_.width()),
                  static_cast<std::uint16_t>(size_.height()));
    xcb_flush(connection_);
}

void FrameReel::Show(int index, const Target& target) {
    if (index < 0 || index >= count_) return;
    Stop();
    SetClip(target);
    CopyOut(index, target);
}

void FrameReel::Play(int first, std::chrono::nanoseconds delay, Target target,
                     std::function<void(int)> shown, std::function<void()> ended) {
    Stop();
    const bool byServer = !shown && pacer_ != nullptr;
    if (byServer) {
        // Set before the pacer's copies can use it, on the connection that
        // may empty it again.
        SetClipOn(control_, serverGc_, target);
        RoundTrip(control_);
    } else {
        SetClip(target);
    }
    std::lock_guard lock(mutex_);
    shown_ = 0;
    stoppedAt_ = -1;
    byServer_ = byServer;
    serverFrames_ = count_ - std::max(first, 0);
    serverStart_ = std::chrono::steady_clock::now();
    serverDelay_ = delay;
    job_ = Job{first,    delay,        std::move(target), std::move(shown), std::move(ended),
               byServer, ++generation_};
    if (!pacerThread_.joinable()) {
        pacerThread_ = std::thread([this] { Pace(); });
    } else {
        wake_.notify_all();
    }
}

void FrameReel::Pace() {
    pthread_setname_np(pthread_self(), "kelto-strip");
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || job_.has_value(); });
        if (quit_) return;
        const Job job = std::move(*job_);
        job_.reset();
        playing_ = true;
        stop_ = false;
        const bool whole = job.byServer ? RunServerJob(lock, job) : RunJob(lock, job);
        if (whole) {
            lock.unlock();
            job.ended();
            lock.lock();
        }
        playing_ = false;
        idle_.notify_all();
    }
}

bool FrameReel::RunJob(std::unique_lock<std::mutex>& lock, const Job& job) {
    for (int index = std::max(job.first, 0); index < count_; ++index) {
        if (wake_.wait_for(lock, job.delay, [this] { return stop_; })) return false;
        lock.unlock();
        CopyOut(index, job.target);
        shown_.fetch_add(1);
        if (job.shown) job.shown(index);
        lock.lock();
        if (stop_) return false;
    }
    return true;
}

bool FrameReel::RunServerJob(std::unique_lock<std::mutex>& lock, const Job& job) {
    lock.unlock();
    const std::int64_t delayMs =
        std::max<std::int64_t>(0, std::chrono::round<std::chrono::milliseconds>(job.delay).count());
    if (const std::optional<std::int64_t> now = SyncCounters::Query(pacer_, serverTime_)) {
        std::int64_t due = *now;
        for (int index = std::max(job.first, 0); index < count_; ++index) {
            due += delayMs;
            SyncCounters::AwaitEither(pacer_, serverTime_, due, cancel_, job.generation);
            xcb_copy_area(pacer_, pixmap_, job.target.window, serverGc_, 0,
                          static_cast<std::int16_t>(index * size_.height()),
                          static_cast<std::int16_t>(job.target.topLeft.x()),
                          static_cast<std::int16_t>(job.target.topLeft.y()),
                          static_cast<std::uint16_t>(size_.width()),
                          static_cast<std::uint16_t>(size_.height()));
        }
    }
    // Back once the server has gone through every copy: at the last one's
    // time, or at once after a stop.
    RoundTrip(pacer_);
    // Errors (a window gone meanwhile) come back as events nobody needs.
    while (xcb_generic_event_t* event = xcb_poll_for_event(pacer_)) std::free(event);
    lock.lock();
    if (stop_) return false;
    stoppedAt_ = serverFrames_;
    return true;
}

int FrameReel::ServerShownNow() const {
    if (serverDelay_.count() <= 0) return serverFrames_;
    const auto elapsed = std::chrono::steady_clock::now() - serverStart_;
    return static_cast<int>(std::min<std::int64_t>(serverFrames_, elapsed / serverDelay_));
}

int FrameReel::Shown() const {
    if (!byServer_) return shown_.load();
    const int stopped = stoppedAt_.load();
    return stopped >= 0 ? stopped : ServerShownNow();
}

void FrameReel::Stop() {
    std::unique_lock lock(mutex_);
    job_.reset();
    if (!playing_) return;
    if (byServer_) {
        stoppedAt_ = ServerShownNow();
        // The copies still queued go through at once, drawing nothing.
        xcb_set_clip_rectangles(control_, XCB_CLIP_ORDERING_UNSORTED, serverGc_, 0, 0, 0, nullptr);
        SyncCounters::Set(control_, cancel_, generation_);
        xcb_flush(control_);
    }
    stop_ = true;
    wake_.notify_all();
    // The pacing thread only ever waits on this lock, writes requests, or
    // waits for the server to go through them.
    idle_.wait(lock, [this] { return !playing_; });
}

}  // namespace kelto::ui
