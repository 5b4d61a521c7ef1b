#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mciservice/CommandParser.h"
#include "mciservice/DeviceType.h"
#include "mciservice/MediaFileHeaders.h"
#include "mciservice/MediaPipeline.h"
#include "mciservice/ServiceOptions.h"
#include "mciservice/VideoWindow.h"
#include "mciservice/WaveSound.h"
#include "platform/MediaTracks.h"

namespace kelto::mciservice {

// One open file of one of the device types: its mode, position, time
// format, speed and picture, on top of a GStreamer pipeline. Every method
// returns promptly; the device learns of the end of playback and of stream
// errors by draining its pipeline's bus in Poll(), which the service calls
// before each command.
class MediaDevice {
public:
    // Speeds are thousandths of normal speed.
    static constexpr std::int64_t kMaxSpeed = 16000;

    enum class WindowState { Shown, Hidden, Minimized, Maximized };
    enum class Mode { Stopped, Playing, Paused, Recording };
    // The SMPTE formats come last: their places are packed, not counted.
    enum class TimeFormat {
        Milliseconds,
        Frames,
        Bytes,
        Samples,
        SongPointer,
        Smpte24,
        Smpte25,
        Smpte30,
        Smpte30Drop
    };

    struct OpenOptions {
        // Window to draw into, as an X11 window id; 0 for none.
        std::uint64_t parentWindow = 0;
        // With no parent: give the picture a top-level window of its own.
        bool ownWindowWithoutParent = false;
        const PipelineOpener* opener = nullptr;
        // Where the sound goes; without one it is discarded.
        AudioSinkProbe* audioSinks = nullptr;
        DeviceType type = DeviceType::DigitalVideo;
        // "open new type waveaudio": no file, a device to record into.
        bool recordNew = false;
        // "open sequencer": the device alone, with no file to play.
        bool noFile = false;
        // A stand-in service (no media framework) has no capture device either,
        // and writes no files.
        bool captureDevice = true;
    };

    // Checks the file and prerolls it (bounded). 275 for a missing file, 296
    // for one that cannot be played, or not by a device of that type.
    static std::uint32_t Open(const std::string& path, const OpenOptions& options,
                              std::unique_ptr<MediaDevice>& out);

    MediaDevice(const MediaDevice&) = delete;
    MediaDevice& operator=(const MediaDevice&) = delete;
    ~MediaDevice();

    void Poll();

    std::uint32_t Play(std::optional<std::int64_t> from, std::optional<std::int64_t> to, bool wait);
    std::uint32_t Pause();
    std::uint32_t Resume();
    std::uint32_t Stop();
    // `target` in the current time format; nullopt with `toEnd` false is the start.
    std::uint32_t Seek(std::optional<std::int64_t> target, bool toEnd, bool wait);
    std::uint32_t SetTimeFormat(std::string_view format);
    std::uint32_t SetSpeed(std::int64_t thousandths);
    std::uint32_t SetMute(bool mute);
    std::uint32_t SetVolume(std::int64_t thousandths);
    std::uint32_t Status(Kw item, std::string& reply);
    // Kw::Destination or Kw::Source.
    std::uint32_t Where(Kw item, std::string& reply) const;
    std::uint32_t PutWindow(const Rect& rect);
    // The part of the picture that is shown; kept and reported.
    std::uint32_t PutSource(const Rect& rect);
    std::uint32_t SetWindowState(WindowState state);
    std::uint32_t SetWindowText(std::string_view text);
    // Draws into another window, filling it; 0 is the device's own again.
    // 346 when `handle` is no window.
    std::uint32_t SetWindowHandle(std::uint64_t handle);
    // Moves `frames` pictures on (back when negative) and stands paused there.
    std::uint32_t Step(std::int64_t frames);
    // Stands paused, ready to play, at `target` (in the time format) or where it is.
    std::uint32_t Cue(std::optional<std::int64_t> target);
    // The waveaudio device's sound format: read from the file, changed by "set".
    std::uint32_t SetWaveFormat(Kw item, std::int64_t value);
    std::uint32_t SetFormatTag(std::string_view tag);
    // The sequencer's tempo in beats a minute plays the file faster or slower.
    std::uint32_t SetTempo(std::int64_t beatsPerMinute);
    // "mapper", "none" (silent) or a port number.
    std::uint32_t SetPort(std::string_view port);
    // Sound and picture streams count from 1, as "setaudio ... stream to"
    // does; 282 for one the file does not have.
    std::uint32_t SetStream(StreamKind kind, std::int64_t number);
    std::vector<platform::TrackInfo> Tracks(StreamKind kind) const;
    // The subtitle drawn over the picture, from 1; 0 for none.
    int ShownSubtitle() const;
    bool ShowSubtitle(int number);
    // Opens the file again with the subtitles of `path`, shown, and carries
    // on from the same place in the same mode.
    bool AddSubtitleFile(const std::string& path);
    // The key that breaks a "wait"; kept, as nothing here waits on a keyboard.
    void SetBreakKey(std::optional<std::int64_t> key) { breakKey_ = key; }

    DeviceType Type() const { return type_; }
    bool IsStopped() const { return mode_ == Mode::Stopped; }
    bool IsRecording() const { return mode_ == Mode::Recording; }
    Mode CurrentMode() const { return mode_; }
    // Opened by its type alone: nothing to play.
    bool HasNoFile() const { return noFile_; }

    // Records from the default capture device into the device's sound, at
    // `from` (or where it stands), inserting or overwriting, up to `to`.
    std::uint32_t Record(std::optional<std::int64_t> from, std::optional<std::int64_t> to,
                         bool overwrite, bool wait);
    // Writes the recorded sound as a wave file in the device's format.
    std::uint32_t Save(const std::string& path);
    // Cuts [from, to] out of the recorded sound.
    std::uint32_t Delete(std::optional<std::int64_t> from, std::optional<std::int64_t> to);
    bool Records() const { return recordsNew_; }
    // Whether the last play ended on a stream error rather than its end.
    bool EndedInError() const { return endedInError_; }
    // A "play ... notify" waits for the play's end.
    bool NotifyPending() const { return notifyPending_; }
    void SetNotifyPending(bool pending) { notifyPending_ = pending; }
    // The file's full path name; empty without a file.
    const std::string& Path() const { return path_; }
    bool HasPictures() const { return Info().hasVideo; }
    // Frames a second, rounded; 0 without pictures.
    std::int64_t FrameRate() const;
    // The caption of the video window.
    const std::string& WindowText() const { return windowText_; }
    // What the file's or the station's tags say, read as it plays; null for none.
    const TagCollector* Tags() const { return pipeline_->Tags(); }
    // Why a stream stopped; empty while it plays and for files.
    std::string StreamFailure() const { return pipeline_->Failure(); }

private:
    MediaDevice() = default;

    std::int64_t ToUnits(GstClockTime time) const;
    GstClockTime FromUnits(std::int64_t units) const;
    std::int64_t LengthUnits() const { return ToUnits(Info().duration); }
    // Whether a place given in the time format lies outside the file.
    bool OutOfRange(std::int64_t units) const;
    bool Packed() const { return format_ >= TimeFormat::Smpte24; }
    // Frames a second of the SMPTE format.
    std::int64_t SmpteRate() const;
    // A length or position as the time format writes it: colons for SMPTE.
    std::string UnitsText(std::int64_t units) const;
    const StreamInfo& Info() const { return pipeline_->Info(); }
    GstClockTime CurrentTime() const;
    void FinishRecording();
    double Rate() const { return static_cast<double>(speed_) / 1000.0; }
    // Starts the pipeline on [start, end_] at the current speed.
    bool StartSegment(GstClockTime start);
    void Halt();
    void FinishPlay();
    // "audio", "audio stream" and "video stream".
    std::uint32_t StreamStatus(Kw item, std::string& reply) const;

    // The format, and what a new device recorded; its stand-in pipeline reads it.
    WaveSound sound_;
    // The window must outlive the pipeline whose sink draws into it.
    std::unique_ptr<VideoWindow> window_;
    std::unique_ptr<PlaybackPipeline> pipeline_;

    // Wide members first, flags last: the device is packed without holes.
    GstClockTime position_ = 0;   // where the device is while not playing
    GstClockTime playStart_ = 0;  // where the current or last play started
    GstClockTime end_ = 0;        // where the current or last play stops
    std::int64_t speed_ = 1000;
    std::int64_t volume_ = 1000;
    std::int64_t fileTempo_ = 120;
    std::optional<std::int64_t> breakKey_;
    std::optional<GstClockTime> recordStop_;
    std::string path_;
    std::string windowText_;
    std::string port_ = "mapper";
    Rect destination_;
    Rect source_;
    DeviceType type_ = DeviceType::DigitalVideo;
    Mode mode_ = Mode::Stopped;
    TimeFormat format_ = TimeFormat::Milliseconds;
    WindowState windowState_ = WindowState::Shown;
    // The pipeline sits paused on a segment [position_, end_] at the current
    // speed, so playing on needs no new seek.
    bool segmentReady_ = false;
    bool audioOff_ = false;  // "setaudio ... off"
    bool endedInError_ = false;
    bool notifyPending_ = false;
    bool recordsNew_ = false;
    bool noFile_ = false;
    // A recording paused: resume records on, to the same end, the same way.
    bool recordPaused_ = false;
    bool recordOverwrite_ = false;
    bool captureDevice_ = true;
};

}  // namespace kelto::mciservice
