#pragma once

#include <gst/gst.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "mciservice/GstHandles.h"
#include "mciservice/PlaybackPipeline.h"

namespace kelto::mciservice {

class AudioSinkProbe;
struct StreamFeed;

// "http://" or "https://", in any letter case.
bool IsWebAddress(std::string_view path);

// A station (or any web address) played as a live stream: sound only, no
// length and no seeking. Nothing here waits on the network: the open only
// builds the pipeline, and the connection is made on the engine's threads once
// it is asked to play. A station that cannot be reached, ends its stream or
// sends nothing for kStallLimit is reported as an error by Drain(), with the
// reason in Failure().
class StreamPipeline final : public PlaybackPipeline {
public:
    static constexpr GstClockTime kStallLimit = 8 * GST_SECOND;

    // Null only when the engine lacks the elements to play an address.
    static std::unique_ptr<StreamPipeline> Open(const std::string& address,
                                                AudioSinkProbe* audioSinks);
    ~StreamPipeline() override;

    const StreamInfo& Info() const override { return info_; }
    bool Seek(double rate, GstClockTime start, GstClockTime stop) override;
    bool SetPlaying(bool playing) override;
    std::optional<GstClockTime> Position() const override;
    Events Drain() override;
    // Never waits: a stream has no end to wait for.
    Events Wait(GstClockTime timeout, bool untilEnd) override;
    void SetVolume(double volume) override;
    void SetMute(bool mute) override;
    void SetPictureSize(int, int) override {}
    const TagCollector* Tags() const override;
    std::string Failure() const override { return failure_; }

private:
    StreamPipeline() = default;
    void Fail(std::string why);

    // Shared with the engine's threads, which may still run while the
    // pipeline goes down.
    std::shared_ptr<StreamFeed> feed_;
    GstPipelinePtr playbin_;
    GstPtr<GstBus> bus_;
    StreamInfo info_;
    bool playing_ = false;
    // When playing last started, or data last came, whichever is later.
    GstClockTime waitingSince_ = 0;
    std::string failure_;
};

}  // namespace kelto::mciservice
