#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

// The picture's way into an X11 window: deinterlaced, converted and scaled in
// software to the size the window is given in one pass, turned upright when
// the film says it was stored sideways, and drawn by a window sink that
// leaves the window's clicks to the window underneath.
class VideoOutput {
public:
    // Null when an element it needs is missing.
    static std::unique_ptr<VideoOutput> Make(std::uint64_t window);
    ~VideoOutput();
    VideoOutput(const VideoOutput&) = delete;
    VideoOutput& operator=(const VideoOutput&) = delete;

    // The bin to hand to a playbin as its video sink.
    GstElement* Bin() const { return bin_.get(); }
    // The element that draws into the window.
    GstElement* Sink() const { return sink_.get(); }

    // Scales the picture to this size (0 x 0: the stream's own size) and has
    // the sink redraw. Call it after the window itself has that size.
    void SetPictureSize(int width, int height);
    // Whether the stored pictures lie on their side (a quarter turn either
    // way), so that sizes given to SetPictureSize are upright ones. Call it
    // before SetPictureSize.
    void SetSideways(bool sideways) { sideways_ = sideways; }
    // Draws the last picture again, where the window was uncovered.
    void Redraw();

private:
    VideoOutput() = default;

    GstPtr<GstElement> bin_;
    GstPtr<GstElement> scaler_;  // the capsfilter that sizes the picture
    GstPtr<GstElement> sink_;
    bool sideways_ = false;
};

}  // namespace kelto::mciservice
