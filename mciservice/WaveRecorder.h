#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "mciservice/GstHandles.h"
#include "mciservice/MediaFileHeaders.h"

namespace kelto::mciservice {

// Sound from the desktop's default capture device, converted to a PCM
// format and kept in memory as it comes, on the media engine's own thread.
class WaveRecorder {
public:
    // Null when there is no capture device, the format is not PCM, or the
    // source has not started within `timeout`.
    static std::unique_ptr<WaveRecorder> Start(const WaveFormat& format, GstClockTime timeout);

    WaveRecorder(const WaveRecorder&) = delete;
    WaveRecorder& operator=(const WaveRecorder&) = delete;
    ~WaveRecorder();

    // Bytes captured so far.
    std::size_t Size() const;
    // Whether the source has failed since it started.
    bool Failed();
    // Stops capturing and hands over every byte captured.
    std::vector<std::uint8_t> Finish();

private:
    WaveRecorder() = default;
    static void OnHandoff(GstElement* sink, GstBuffer* buffer, GstPad* pad, gpointer self);

    GstPipelinePtr pipeline_;
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> data_;
    std::size_t alignment_ = 1;
};

}  // namespace kelto::mciservice
