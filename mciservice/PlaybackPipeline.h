#pragma once

#include <gst/gst.h>

#include <optional>
#include <string>

namespace kelto::mciservice {

class TagCollector;

// What the file holds, learnt once it has prerolled.
struct StreamInfo {
    GstClockTime duration = 0;
    bool hasVideo = false;
    int width = 0;  // picture size as shown (square pixels)
    int height = 0;
    int fpsNum = 0;
    int fpsDen = 1;
    // A stream that goes on for as long as its sender sends: no length, no places.
    bool live = false;
};

// What a device needs from whatever decodes and plays its file. MediaPipeline
// is the real one; a stand-in lets the whole command language be driven with
// no file and no media framework behind it (the command fuzzer does that).
class PlaybackPipeline {
public:
    struct Events {
        bool endOfStream = false;
        bool error = false;
    };

    PlaybackPipeline() = default;
    PlaybackPipeline(const PlaybackPipeline&) = delete;
    PlaybackPipeline& operator=(const PlaybackPipeline&) = delete;
    virtual ~PlaybackPipeline() = default;

    virtual const StreamInfo& Info() const = 0;

    // Flushing, accurate seek: plays [start, stop] at `rate`.
    virtual bool Seek(double rate, GstClockTime start, GstClockTime stop) = 0;
    virtual bool SetPlaying(bool playing) = 0;
    virtual std::optional<GstClockTime> Position() const = 0;

    // Pops every event that arrived since the last call.
    virtual Events Drain() = 0;
    // Blocks at most `timeout` for the end of the stream (or an error) when
    // `untilEnd`, for the end of a pending seek otherwise.
    virtual Events Wait(GstClockTime timeout, bool untilEnd) = 0;

    virtual void SetVolume(double volume) = 0;
    virtual void SetMute(bool mute) = 0;
    // Scales the picture to this size before it reaches the window.
    virtual void SetPictureSize(int width, int height) = 0;
    // Draws the last picture again, where its window was uncovered.
    virtual void Redraw() {}
    // The tags read so far; null where nothing reads them.
    virtual const TagCollector* Tags() const { return nullptr; }
    // Why a live stream stopped; empty while it plays.
    virtual std::string Failure() const { return {}; }
};

}  // namespace kelto::mciservice
