#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "mciservice/GstHandles.h"
#include "mciservice/PlaybackPipeline.h"
#include "mciservice/VideoOutput.h"

namespace kelto::mciservice {

class AudioSinkProbe;

// One file in a playbin, with the sinks chosen for where the picture and the
// sound can go. The owner calls it from one thread; the pipeline's own threads
// reach the owner only through the bus, which the owner drains when it likes.
class MediaPipeline final : public PlaybackPipeline {
public:
    // Builds the pipeline and waits at most `timeout` for it to preroll and
    // give its length. With a `videoWindow` the picture is drawn into that X11
    // window, otherwise it is discarded at real-time pace; the sound goes to
    // the output `audioSinks` found, or is discarded without one. Null when
    // the file cannot be played.
    static std::unique_ptr<MediaPipeline> Open(const std::string& path, std::uint64_t videoWindow,
                                               GstClockTime timeout, AudioSinkProbe* audioSinks);

    ~MediaPipeline() override;

    const StreamInfo& Info() const override { return info_; }
    bool HasVideoOutput() const { return videoOutput_ != nullptr; }

    bool Seek(double rate, GstClockTime start, GstClockTime stop) override;
    bool SetPlaying(bool playing) override;
    std::optional<GstClockTime> Position() const override;
    Events Drain() override;
    Events Wait(GstClockTime timeout, bool untilEnd) override;
    void SetVolume(double volume) override;
    void SetMute(bool mute) override;
    // Call it after the window itself has been given that size.
    void SetPictureSize(int width, int height) override;
    void Redraw() override;
    const TagCollector* Tags() const override { return tags_.get(); }

private:
    MediaPipeline() = default;
    bool Build(const std::string& path, std::uint64_t videoWindow, AudioSinkProbe* audioSinks);
    bool Preroll(GstClockTime deadline);
    bool ReadStreamInfo(const std::string& path, GstClockTime deadline);

    std::unique_ptr<VideoOutput> videoOutput_;  // when there is a window
    GstPipelinePtr playbin_;
    GstPtr<GstBus> bus_;
    StreamInfo info_;
    // Shared with the bus's handler, which the engine's threads may call
    // while the pipeline goes down.
    std::shared_ptr<TagCollector> tags_;
};

}  // namespace kelto::mciservice
