#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mciservice/PlaybackPipeline.h"

namespace kelto::fuzz {

// A pipeline with no media behind it: time moves on by a fixed step each time
// the device drains its events, so a run of commands is fully repeatable and
// never waits. A play or seek with wait jumps to where it would have ended.
class FakePipeline final : public mciservice::PlaybackPipeline {
public:
    // How far the clock moves per drain while playing, at normal speed.
    static constexpr GstClockTime kStep = 40 * GST_MSECOND;

    explicit FakePipeline(const mciservice::StreamInfo& info, bool failsMidway = false);

    const mciservice::StreamInfo& Info() const override { return info_; }
    bool Seek(double rate, GstClockTime start, GstClockTime stop) override;
    bool SetPlaying(bool playing) override;
    std::optional<GstClockTime> Position() const override { return position_; }
    Events Drain() override;
    Events Wait(GstClockTime timeout, bool untilEnd) override;
    void SetVolume(double volume) override;
    void SetMute(bool) override {}
    void SetPictureSize(int width, int height) override;

private:
    Events Finish();

    mciservice::StreamInfo info_;
    bool failsMidway_;
    bool playing_ = false;
    bool ended_ = false;  // the end (or a fault) of the current segment has been told
    double rate_ = 1.0;
    GstClockTime position_ = 0;
    GstClockTime stop_ = 0;
};

// Opens a made-up file: the name says what it holds, so a fuzz input can ask
// for every kind. "missing" in the name gives 275, "broken" 296; ".mp3",
// ".mp2", ".wav" and ".mid" hold sound only, anything else a 320x240 picture
// too ("ntsc": 29.97 frames a second, else 25). The first run of digits in
// the file name (extension aside) is the length in milliseconds (1000 when there is none; 0 counts
// as 1 ms), and "fault" makes the stream fail half-way through a play.
std::uint32_t OpenFakeMedia(const std::string& path,
                            std::unique_ptr<mciservice::PlaybackPipeline>& out);

}  // namespace kelto::fuzz
