#include "ui/FrameReel.h"

#include <xcb/sync.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QSysInfo>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

// After the toolkit's headers, whose names its macros would otherwise take.
#include <X11/Xlib.h>

namespace kelto::ui {

namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Owned(Reply* reply) {
    return {reply, &std::free};
}

xcb_sync_int64_t Int64(std::int64_t value) {
    return {static_cast<std::int32_t>(value >> 32), static_cast<std::uint32_t>(value)};
}

// Holds back the connection's later requests until `counter` reaches `value`.
xcb_sync_waitcondition_t AtLeast(std::uint32_t counter, std::int64_t value) {
    return {
        {counter, XCB_SYNC_VALUETYPE_ABSOLUTE, Int64(value), XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON},
        // No event when the wait ends: nothing reads them.
        Int64(std::numeric_limits<std::int64_t>::max())};
}

std::int64_t MillisNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Frames are laid out as the toolkit paints: 32-bit words of 0xAARRGGBB in
// the machine's byte order. The server must take exactly that for the
// window's depth, or the copies would not be the toolkit's pixels.
bool TakesToolkitPixels(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const bool lsbFirst = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if ((depth != 24 && depth != 32) ||
        (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != lsbFirst) {
        return false;
    }
    bool words = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f)) {
        if (f.data->depth == depth)
            words = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    }
    const auto attributes = Owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!words || !attributes) return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem > 0; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem > 0; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == attributes->visual) {
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                           v.data->blue_mask == 0xff;
                }
            }
        }
    }
    return false;
}

// The server's clock in milliseconds, as a counter waits can watch.
std::uint32_t ServerTimeCounter(xcb_connection_t* connection) {
    const auto counters = Owned(xcb_sync_list_system_counters_reply(
        connection, xcb_sync_list_system_counters(connection), nullptr));
    if (!counters) return 0;
    for (auto it = xcb_sync_list_system_counters_counters_iterator(counters.get()); it.rem > 0;
         xcb_sync_systemcounter_next(&it)) {
        // The name follows the 14 bytes of the entry on the wire; the
        // library's own accessor looks for it past the padded struct.
        const std::string_view name(reinterpret_cast<const char*>(it.data) + 14, it.data->name_len);
        if (name == "SERVERTIME") return it.data->counter;
    }
    return 0;
}

}  // namespace

FrameReel* FrameReel::Create(QObject* parent, std::uint32_t window) {
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* toolkit = x11 != nullptr ? x11->connection() : nullptr;
    if (toolkit == nullptr || x11->display() == nullptr) return nullptr;
    // The toolkit's connection must be able to stop a play at once.
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(toolkit, &xcb_sync_id);
    const auto geometry =
        Owned(xcb_get_geometry_reply(toolkit, xcb_get_geometry(toolkit, window), nullptr));
    if (sync == nullptr || !sync->present || !geometry ||
        !TakesToolkitPixels(toolkit, window, geometry->depth)) {
        return nullptr;
    }
    xcb_connection_t* pacer = xcb_connect(DisplayString(x11->display()), nullptr);
    std::unique_ptr<FrameReel> reel(new FrameReel(parent, toolkit, pacer));
    const auto version = Owned(xcb_sync_initialize_reply(
        pacer, xcb_sync_initialize(pacer, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION),
        nullptr));
    if (!version) return nullptr;
    reel->serverTime_ = ServerTimeCounter(pacer);
    if (reel->serverTime_ == 0) return nullptr;
    reel->depth_ = geometry->depth;
    reel->window_ = window;
    reel->gate_ = xcb_generate_id(pacer);
    xcb_sync_create_counter(pacer, reel->gate_, Int64(0));
    // Its answer also means the gate exists, which the toolkit's connection
    // moves on.
    const auto now = Owned(xcb_sync_query_counter_reply(
        pacer, xcb_sync_query_counter(pacer, reel->serverTime_), nullptr));
    if (!now) return nullptr;
    const std::int64_t serverNow =
        (static_cast<std::int64_t>(now->counter_value.hi) << 32) | now->counter_value.lo;
    reel->serverClockAhead_ = std::chrono::milliseconds(serverNow - MillisNow());
    reel->notifier_ =
        new QSocketNotifier(xcb_get_file_descriptor(pacer), QSocketNotifier::Read, reel.get());
    connect(reel->notifier_, &QSocketNotifier::activated, reel.get(), &FrameReel::OnPacerReadable);
    return reel.release();
}

FrameReel::FrameReel(QObject* parent, xcb_connection_t* toolkit, xcb_connection_t* pacer)
    : QObject(parent), toolkit_(toolkit), pacer_(pacer) {}

// The server frees whatever the reel's connection made; the GC is the
// toolkit connection's.
FrameReel::~FrameReel() {
    Stop();
    if (gc_ != 0) xcb_free_gc(toolkit_, gc_);
    xcb_flush(toolkit_);
    delete notifier_;
    xcb_disconnect(pacer_);
}

bool FrameReel::Load(const QByteArray& key, QSize size, int count,
                     const std::function<QImage(int)>& frame) {
    Stop();
    if (pixmap_ != 0 && key == key_) return true;
    if (pixmap_ != 0) xcb_free_pixmap(pacer_, pixmap_);
    pixmap_ = 0;
    count_ = 0;
    const auto frameBytes = std::int64_t{size.width()} * size.height() * 4;
    // A pixmap is at most 32767 pixels tall, and each frame goes in by one
    // request, which the server bounds.
    if (size.isEmpty() || count < 1 || count > kMaxFrames || frameBytes * count > kMaxBytes ||
        std::int64_t{size.height()} * count > 32767 ||
        frameBytes + 64 > std::int64_t{xcb_get_maximum_request_length(pacer_)} * 4) {
        return false;
    }
    pixmap_ = xcb_generate_id(pacer_);
    xcb_create_pixmap(pacer_, depth_, pixmap_, window_, static_cast<std::uint16_t>(size.width()),
                      static_cast<std::uint16_t>(size.height() * count));
    const std::uint32_t put = xcb_generate_id(pacer_);
    xcb_create_gc(pacer_, put, pixmap_, 0, nullptr);
    for (int index = 0; index < count; ++index) {
        const QImage pixels = frame(index).convertToFormat(QImage::Format_RGB32);
        if (pixels.size() != size) continue;
        xcb_put_image(pacer_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, put,
                      static_cast<std::uint16_t>(size.width()),
                      static_cast<std::uint16_t>(size.height()), 0,
                      static_cast<std::int16_t>(index * size.height()), 0, depth_,
                      static_cast<std::uint32_t>(frameBytes), pixels.constBits());
    }
    xcb_free_gc(pacer_, put);
    xcb_flush(pacer_);
    key_ = key;
    size_ = size;
    count_ = count;
    return true;
}

void FrameReel::Play(int first, std::chrono::milliseconds delay, const Target& target,
                     std::function<void()> ended) {
    Stop();
    if (pixmap_ == 0) return;
    first = std::clamp(first, 0, count_);
    // Each play draws through a GC of its own, clipped on the toolkit's
    // connection and emptied there by a stop: the two are never taken out of
    // order, as requests of two connections can be. The last play's GC goes
    // once the server has gone through its copies.
    if (gc_ != 0) xcb_free_gc(pacer_, gc_);
    gc_ = xcb_generate_id(toolkit_);
    const std::uint32_t noExposures = 0;  // nothing reads them
    xcb_create_gc(toolkit_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : target.visible) {
        rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                         static_cast<std::uint16_t>(r.width()),
                         static_cast<std::uint16_t>(r.height())});
    }
    xcb_set_clip_rectangles(toolkit_, XCB_CLIP_ORDERING_UNSORTED, gc_,
                            static_cast<std::int16_t>(target.topLeft.x()),
                            static_cast<std::int16_t>(target.topLeft.y()),
                            static_cast<std::uint32_t>(rects.size()), rects.data());
    // The gate opens the play once its GC is there; the next step stops it.
    xcb_sync_set_counter(toolkit_, gate_, Int64(++gateValue_));
    xcb_flush(toolkit_);
    const xcb_sync_waitcondition_t opened = AtLeast(gate_, gateValue_);
    xcb_sync_await(pacer_, 1, &opened);
    playStart_ = std::chrono::steady_clock::now();
    std::int64_t due = MillisNow() + serverClockAhead_.count();
    for (int index = first; index < count_; ++index) {
        due += delay.count();
        // Each copy waits for its time, or for a stop, whichever comes first.
        const xcb_sync_waitcondition_t either[] = {AtLeast(serverTime_, due),
                                                   AtLeast(gate_, gateValue_ + 1)};
        xcb_sync_await(pacer_, 2, either);
        xcb_copy_area(pacer_, pixmap_, target.window, gc_, 0,
                      static_cast<std::int16_t>(index * size_.height()),
                      static_cast<std::int16_t>(target.topLeft.x()),
                      static_cast<std::int16_t>(target.topLeft.y()),
                      static_cast<std::uint16_t>(size_.width()),
                      static_cast<std::uint16_t>(size_.height()));
    }
    // Answered once the server has gone through every copy.
    endCookie_ = xcb_get_input_focus(pacer_).sequence;
    xcb_flush(pacer_);
    playing_ = true;
    first_ = first;
    delay_ = delay;
    ended_ = std::move(ended);
}

void FrameReel::Stop() {
    if (!playing_) return;
    shown_ = Shown();
    playing_ = false;
    ended_ = nullptr;
    xcb_discard_reply(pacer_, endCookie_);
    // The reel's own connection is held up by its waits; the toolkit's is
    // not. The copies still queued go through at once and draw nothing.
    xcb_set_clip_rectangles(toolkit_, XCB_CLIP_ORDERING_UNSORTED, gc_, 0, 0, 0, nullptr);
    xcb_sync_set_counter(toolkit_, gate_, Int64(++gateValue_));
    xcb_flush(toolkit_);
}

int FrameReel::Shown() const {
    if (!playing_) return shown_;
    const auto elapsed = std::chrono::steady_clock::now() - playStart_;
    const std::int64_t due = delay_.count() > 0 ? elapsed / delay_ : count_;
    return static_cast<int>(std::min<std::int64_t>(count_, first_ + due));
}

void FrameReel::OnPacerReadable() {
    // Errors (a window gone meanwhile) arrive as events nobody needs.
    while (xcb_generic_event_t* event = xcb_poll_for_event(pacer_)) std::free(event);
    if (xcb_connection_has_error(pacer_) != 0) {
        notifier_->setEnabled(false);
        return;
    }
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!playing_ || xcb_poll_for_reply(pacer_, endCookie_, &reply, &error) == 0) return;
    std::free(reply);
    std::free(error);
    playing_ = false;
    shown_ = count_;
    if (auto ended = std::exchange(ended_, nullptr)) ended();
}

}  // namespace kelto::ui
