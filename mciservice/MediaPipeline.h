#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "mciservice/GstHandles.h"

namespace kelto::mciservice {

// What the file holds, learnt once it has prerolled.
struct StreamInfo {
    GstClockTime duration = 0;
    bool hasVideo = false;
    int width = 0;  // picture size as shown (square pixels)
    int height = 0;
    int fpsNum = 0;
    int fpsDen = 1;
};

// One file in a playbin, with the sinks chosen for where the picture and the
// sound can go. The owner calls it from one thread; the pipeline's own threads
// reach the owner only through the bus, which the owner drains when it likes.
class MediaPipeline {
public:
    struct Events {
        bool endOfStream = false;
        bool error = false;
    };

    // Builds the pipeline and waits at most `timeout` for it to preroll. With a
    // `videoWindow` the picture is drawn into that X11 window, otherwise it is
    // discarded at real-time pace. Null when the file cannot be played.
    static std::unique_ptr<MediaPipeline> Open(const std::string& path, std::uint64_t videoWindow,
                                               GstClockTime timeout);

    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;
    ~MediaPipeline();

    const StreamInfo& Info() const { return info_; }
    bool HasVideoOutput() const { return scaler_ != nullptr; }

    // Flushing, accurate seek: plays [start, stop] at `rate`.
    bool Seek(double rate, GstClockTime start, GstClockTime stop);
    bool SetPlaying(bool playing);
    std::optional<GstClockTime> Position() const;

    // Pops every message that arrived since the last call.
    Events Drain();
    // Blocks at most `timeout` for the end of the stream (or an error) when
    // `untilEnd`, for the end of a pending seek otherwise.
    Events Wait(GstClockTime timeout, bool untilEnd);

    void SetVolume(double volume);
    void SetMute(bool mute);
    // Scales the picture to this size before it reaches the window. Call it
    // after the window itself has been given that size.
    void SetPictureSize(int width, int height);

private:
    MediaPipeline() = default;
    bool Build(const std::string& path, std::uint64_t videoWindow);
    bool Preroll(GstClockTime deadline);
    bool ReadStreamInfo(const std::string& path, GstClockTime deadline);

    GstPtr<GstElement> playbin_;
    GstPtr<GstBus> bus_;
    GstPtr<GstElement> scaler_;  // the capsfilter that sizes the picture, when there is a window
    GstPtr<GstElement> windowSink_;
    StreamInfo info_;
};

}  // namespace kelto::mciservice
