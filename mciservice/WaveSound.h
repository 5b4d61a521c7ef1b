#pragma once

#include <gst/gst.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/CommandParser.h"
#include "mciservice/MediaFileHeaders.h"
#include "mciservice/PlaybackPipeline.h"

namespace kelto::mciservice {

class WaveRecorder;

// The waveaudio device's sound: its format, read from the file and changed
// by "set", and for a device opened "new" the sound recorded into it, kept
// in memory until it is saved. Times are the engine's nanoseconds; the
// device turns its time format into them.
class WaveSound {
public:
    WaveSound();
    WaveSound(const WaveSound&) = delete;
    WaveSound& operator=(const WaveSound&) = delete;
    ~WaveSound();

    const WaveFormat& Format() const { return format_; }
    void SetFormat(const WaveFormat& format) { format_ = format; }
    // One item of "set": 282 for a value no wave header can hold.
    std::uint32_t SetFormatItem(Kw item, std::int64_t value);
    std::uint32_t SetFormatTag(std::string_view tag);
    // The reply to a status item of the format; false for any other item.
    bool FormatStatus(Kw item, std::string& reply) const;

    GstClockTime BytesToTime(std::size_t bytes) const;
    // Rounded down to whole blocks of every channel.
    std::size_t TimeToBytes(GstClockTime time) const;

    // The recorded sound's length, counting what a recording brings in.
    GstClockTime Length() const;
    bool Recording() const { return recorder_ != nullptr; }
    // Where a recording has got to.
    GstClockTime RecordingAt() const;
    // Records from the default capture device at `from` (the end at most),
    // inserting or overwriting, up to `to`. 282 when `to` is not after the
    // start, 328 when no capture stream starts.
    std::uint32_t StartRecording(GstClockTime from, std::optional<GstClockTime> to, bool overwrite,
                                 bool captureDevice);
    // Whether a recording reached its `to` or lost its source.
    bool RecordingEnded() const;
    // Keeps what was recorded; returns where the recording stopped.
    GstClockTime FinishRecording();
    // Writes the sound as a wave file in the set format: 275 when it cannot.
    std::uint32_t Save(const std::string& path) const;
    // Cuts [from, to] out (to the end without `to`); false when from lies after to.
    bool Delete(GstClockTime from, std::optional<GstClockTime> to);

private:
    WaveFormat format_;
    std::unique_ptr<WaveRecorder> recorder_;
    std::vector<std::uint8_t> recorded_;
    std::size_t recordAt_ = 0;
    bool recordOverwrite_ = false;
    std::optional<std::size_t> recordBytes_;
};

// What a new wave device has in place of a file: its recorded sound, which
// plays nowhere; only its length moves.
class RecordedSound final : public PlaybackPipeline {
public:
    explicit RecordedSound(const WaveSound& sound) : sound_(sound) {}
    const StreamInfo& Info() const override {
        info_.duration = sound_.Length();
        return info_;
    }
    bool Seek(double, GstClockTime, GstClockTime) override { return true; }
    bool SetPlaying(bool) override { return true; }
    std::optional<GstClockTime> Position() const override { return std::nullopt; }
    Events Drain() override { return {}; }
    Events Wait(GstClockTime, bool) override { return {}; }
    void SetVolume(double) override {}
    void SetMute(bool) override {}
    void SetPictureSize(int, int) override {}

private:
    const WaveSound& sound_;
    mutable StreamInfo info_;
};

}  // namespace kelto::mciservice
