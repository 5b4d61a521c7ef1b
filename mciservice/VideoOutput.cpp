#include "mciservice/VideoOutput.h"

#include <gst/video/videooverlay.h>

#include <utility>

namespace kelto::mciservice {

namespace {

GstPtr<GstElement> MakeElement(const char* factory) {
    return AdoptFloating(gst_element_factory_make(factory, nullptr));
}

// XVideo scales in hardware but is often missing (virtual displays); plain
// X images work everywhere once the picture has been scaled in software.
GstPtr<GstElement> MakeWindowSink() {
    static const bool haveXv = [] {
        auto probe = MakeElement("xvimagesink");
        if (!probe) {
            return false;
        }
        const bool ok =
            gst_element_set_state(probe.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
        gst_element_set_state(probe.get(), GST_STATE_NULL);
        return ok;
    }();
    return MakeElement(haveXv ? "xvimagesink" : "ximagesink");
}

}  // namespace

std::unique_ptr<VideoOutput> VideoOutput::Make(std::uint64_t window) {
    auto bin = AdoptFloating(gst_bin_new("video-output"));
    // The engine hands the decoder's pictures over as they come (see
    // MediaPipeline), so this bin is the one place they are converted and
    // scaled, in a single pass. Interlaced pictures are woven back into whole
    // ones before any scaling mixes their lines; progressive ones pass
    // untouched.
    auto deinterlace = MakeElement("deinterlace");
    auto convert = MakeElement("videoconvertscale");
    auto caps = MakeElement("capsfilter");
    // A film stored sideways turns upright after scaling, at the size it is
    // shown, which for a phone's film is far smaller than the stored one.
    auto flip = MakeElement("videoflip");
    auto sink = MakeWindowSink();
    if (!bin || !deinterlace || !convert || !caps || !flip || !sink) {
        return nullptr;
    }
    gst_util_set_object_arg(G_OBJECT(flip.get()), "video-direction", "auto");
    // A new size arrives while pictures of the old one are on their way; the
    // filter lets them through until the scaler has taken up the new size, or
    // the stream would stop as not negotiable, as if the file were damaged.
    gst_util_set_object_arg(G_OBJECT(caps.get()), "caps-change-mode", "delayed");
    GstElement* elements[] = {deinterlace.get(), convert.get(), caps.get(), flip.get(), sink.get()};
    // The bin takes a reference of its own; ours go with the handles.
    for (GstElement* element : elements) {
        gst_bin_add(GST_BIN(bin.get()), element);
    }
    if (!gst_element_link_many(deinterlace.get(), convert.get(), caps.get(), flip.get(), sink.get(),
                               nullptr)) {
        return nullptr;
    }
    GstPtr<GstPad> target{gst_element_get_static_pad(deinterlace.get(), "sink")};
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get()));
    GstVideoOverlay* overlay = GST_VIDEO_OVERLAY(sink.get());
    gst_video_overlay_set_window_handle(overlay, static_cast<guintptr>(window));
    // Clicks on the picture belong to the window underneath.
    gst_video_overlay_handle_events(overlay, FALSE);

    std::unique_ptr<VideoOutput> output(new VideoOutput());
    output->bin_ = std::move(bin);
    output->scaler_ = std::move(caps);
    output->sink_ = std::move(sink);
    output->SetPictureSize(0, 0);
    return output;
}

VideoOutput::~VideoOutput() {
    if (!scaler_) return;
    // In delayed mode the filter keeps every size it was given until the
    // scaler has taken up the newest, and does not free those it still holds
    // when it goes; caps set again in immediate mode let go of them.
    GstCaps* raw = nullptr;
    g_object_get(scaler_.get(), "caps", &raw, nullptr);
    const GstCapsPtr current{raw};
    gst_util_set_object_arg(G_OBJECT(scaler_.get()), "caps-change-mode", "immediate");
    g_object_set(scaler_.get(), "caps", current.get(), nullptr);
}

void VideoOutput::SetPictureSize(int width, int height) {
    // The scaler works before the turn: a sideways picture is scaled to the
    // size turned back.
    const int scaledWidth = sideways_ ? height : width;
    const int scaledHeight = sideways_ ? width : height;
    GstCapsPtr caps{width > 0 && height > 0
                        ? gst_caps_new_simple(
                              "video/x-raw", "width", G_TYPE_INT, scaledWidth, "height", G_TYPE_INT,
                              scaledHeight, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr)
                        : gst_caps_new_simple("video/x-raw", "pixel-aspect-ratio",
                                              GST_TYPE_FRACTION, 1, 1, nullptr)};
    g_object_set(scaler_.get(), "caps", caps.get(), nullptr);
    // The sink does not watch the window (that would take its clicks from the
    // window underneath), so it learns the new size when told to redraw.
    if (width > 0 && height > 0) {
        Redraw();
    }
}

void VideoOutput::Redraw() { gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_.get())); }

}  // namespace kelto::mciservice
