#include "mciservice/MediaDevice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "mciservice/ErrorCodes.h"
#include "mciservice/GstHandles.h"
#include "mciservice/StreamPipeline.h"

namespace kelto::mciservice {

namespace {

// Generous: a first open also waits for the sound output probe, and a busy
// machine slows every step; a file that cannot be played fails long before.
constexpr GstClockTime kOpenTimeout = 10 * GST_SECOND;
constexpr GstClockTime kSeekTimeout = 5 * GST_SECOND;
// Added to the remaining play time when a caller asks to wait for the end.
constexpr GstClockTime kWaitMargin = 2 * GST_SECOND;
constexpr std::int64_t kMaxVolume = 1000;
constexpr std::int64_t kMaxWindowSide = 32767;

std::string_view TimeFormatName(MediaDevice::TimeFormat format) {
    using F = MediaDevice::TimeFormat;
    switch (format) {
        case F::Frames:
            return "frames";
        case F::Bytes:
            return "bytes";
        case F::Samples:
            return "samples";
        case F::SongPointer:
            return "song pointer";
        case F::Smpte24:
            return "smpte 24";
        case F::Smpte25:
            return "smpte 25";
        case F::Smpte30:
            return "smpte 30";
        case F::Smpte30Drop:
            return "smpte 30 drop";
        case F::Milliseconds:
            break;
    }
    return "milliseconds";
}

std::uint32_t CheckFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        return (path.empty() || errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
                   ? mcierr::kFileNotFound
                   : mcierr::kInvalidFile;
    }
    // Pipes and devices could block the reader or never end.
    if (!S_ISREG(info.st_mode) || info.st_size == 0 || access(path.c_str(), R_OK) != 0) {
        return mcierr::kInvalidFile;
    }
    return mcierr::kNone;
}

}  // namespace

std::uint32_t MediaDevice::Open(const std::string& path, const OpenOptions& options,
                                std::unique_ptr<MediaDevice>& out) {
    std::unique_ptr<MediaDevice> device(new MediaDevice());
    device->type_ = options.type;
    device->path_ = path;
    // A file's full path name; a web address stays as it was given.
    if (!path.empty() && !IsWebAddress(path)) {
        GCharPtr full{g_canonicalize_filename(path.c_str(), nullptr)};
        device->path_ = full.get();
    }
    if (options.recordNew || options.noFile) {
        // 11.025 kHz, 8 bits, one channel until "set" says otherwise.
        device->recordsNew_ = options.recordNew;
        device->noFile_ = options.noFile;
        device->captureDevice_ = options.captureDevice;
        device->path_.clear();
        device->pipeline_ = std::make_unique<RecordedSound>(device->sound_);
        out = std::move(device);
        return mcierr::kNone;
    }
    // The caption a window of the device's own shows until "window ... text" changes it.
    device->windowText_ = path.substr(path.find_last_of('/') + 1);
    if (IsWebAddress(path) && !(options.opener != nullptr && *options.opener)) {
        // A station plays under the digital-video type only, as sound.
        if (options.type != DeviceType::DigitalVideo) {
            return mcierr::kInvalidFile;
        }
        device->pipeline_ = StreamPipeline::Open(path, options.audioSinks);
    } else if (options.opener != nullptr && *options.opener) {
        if (const std::uint32_t rc = (*options.opener)(path, device->pipeline_);
            rc != mcierr::kNone) {
            return rc;
        }
    } else {
        if (const std::uint32_t rc = CheckFile(path); rc != mcierr::kNone) {
            return rc;
        }
        // The wave and MIDI devices read their own formats only.
        if (!ContentFits(path, options.type)) {
            return mcierr::kInvalidFile;
        }
        if (options.type == DeviceType::DigitalVideo &&
            (options.parentWindow != 0 || options.ownWindowWithoutParent)) {
            device->window_ = VideoWindow::Create(options.parentWindow);
        }
        device->pipeline_ =
            MediaPipeline::Open(path, device->window_ ? device->window_->Handle() : 0, kOpenTimeout,
                                options.audioSinks);
    }
    if (!device->pipeline_) {
        return mcierr::kInvalidFile;
    }
    if (options.type == DeviceType::WaveAudio) {
        // A file that cannot be read here (a stand-in's) keeps the plainest format.
        device->sound_.SetFormat(ReadWaveFormat(path).value_or(WaveFormat{}));
    } else if (options.type == DeviceType::Sequencer) {
        device->fileTempo_ = ReadMidiTempo(path);
    }
    const StreamInfo& info = device->Info();
    device->end_ = info.duration;
    device->destination_ = Rect{0, 0, info.width, info.height};
    device->source_ = device->destination_;
    if (info.hasVideo && device->window_) {
        device->window_->SetTitle(device->windowText_);
        device->window_->Place(0, 0, info.width, info.height);
        device->pipeline_->SetPictureSize(info.width, info.height);
    }
    // Prerolled at the start with the whole file as its segment.
    device->segmentReady_ = true;
    out = std::move(device);
    return mcierr::kNone;
}

MediaDevice::~MediaDevice() { pipeline_.reset(); }

std::int64_t MediaDevice::FrameRate() const {
    if (!Info().hasVideo || Info().fpsDen <= 0) {
        return 0;
    }
    return (static_cast<std::int64_t>(Info().fpsNum) + Info().fpsDen / 2) / Info().fpsDen;
}

std::int64_t MediaDevice::SmpteRate() const {
    switch (format_) {
        case TimeFormat::Smpte24:
            return 24;
        case TimeFormat::Smpte25:
            return 25;
        default:
            // Drop-frame time counts 30 a second with labels left out; it is
            // counted here as plain 30.
            return 30;
    }
}

std::int64_t MediaDevice::ToUnits(GstClockTime time) const {
    const auto scale = [time](std::int64_t num, std::int64_t den) {
        return static_cast<std::int64_t>(gst_util_uint64_scale_round(
            time, static_cast<guint64>(num), static_cast<guint64>(den)));
    };
    switch (format_) {
        case TimeFormat::Frames:
            return scale(Info().fpsNum, std::int64_t{Info().fpsDen} * GST_SECOND);
        case TimeFormat::Samples:
            return scale(sound_.Format().samplesPerSec, GST_SECOND);
        case TimeFormat::Bytes:
            return scale(sound_.Format().samplesPerSec, GST_SECOND) * sound_.Format().alignment;
        // Sixteenth notes: four to a beat.
        case TimeFormat::SongPointer:
            return scale(fileTempo_ * 4, 60 * GST_SECOND);
        case TimeFormat::Smpte24:
        case TimeFormat::Smpte25:
        case TimeFormat::Smpte30:
        case TimeFormat::Smpte30Drop: {
            // The hours place is a byte: a longer time stops at its last
            // frame, 255:59:59, rather than wrapping round to a short one.
            constexpr std::int64_t kLastSecond = 255 * 3600 + 59 * 60 + 59;
            const std::int64_t rate = SmpteRate();
            const std::int64_t frames =
                std::min(scale(rate, GST_SECOND), (kLastSecond + 1) * rate - 1);
            const std::int64_t seconds = frames / rate;
            return (seconds / 3600) | (seconds / 60 % 60) << 8 | (seconds % 60) << 16 |
                   (frames % rate) << 24;
        }
        case TimeFormat::Milliseconds:
            break;
    }
    return scale(1, GST_MSECOND);
}

GstClockTime MediaDevice::FromUnits(std::int64_t units) const {
    const auto value = static_cast<guint64>(std::max<std::int64_t>(units, 0));
    const auto scale = [value](std::int64_t num, std::int64_t den) {
        return gst_util_uint64_scale_round(value, static_cast<guint64>(num),
                                           static_cast<guint64>(den));
    };
    switch (format_) {
        case TimeFormat::Frames:
            return scale(std::int64_t{Info().fpsDen} * GST_SECOND, Info().fpsNum);
        case TimeFormat::Samples:
            return scale(GST_SECOND, sound_.Format().samplesPerSec);
        case TimeFormat::Bytes:
            return gst_util_uint64_scale_round(
                value / static_cast<guint64>(sound_.Format().alignment), GST_SECOND,
                static_cast<guint64>(sound_.Format().samplesPerSec));
        case TimeFormat::SongPointer:
            return scale(60 * GST_SECOND, fileTempo_ * 4);
        case TimeFormat::Smpte24:
        case TimeFormat::Smpte25:
        case TimeFormat::Smpte30:
        case TimeFormat::Smpte30Drop: {
            const guint64 seconds =
                (value & 0xFF) * 3600 + ((value >> 8) & 0xFF) * 60 + ((value >> 16) & 0xFF);
            return seconds * GST_SECOND +
                   gst_util_uint64_scale_round((value >> 24) & 0xFF, GST_SECOND,
                                               static_cast<guint64>(SmpteRate()));
        }
        case TimeFormat::Milliseconds:
            break;
    }
    return value * GST_MSECOND;
}

bool MediaDevice::OutOfRange(std::int64_t units) const {
    if (units < 0) {
        return true;
    }
    // A packed place does not grow with time: compare the times it stands for.
    return Packed() ? FromUnits(units) > Info().duration : units > LengthUnits();
}

std::string MediaDevice::UnitsText(std::int64_t units) const {
    if (!Packed()) {
        return std::to_string(units);
    }
    std::string text;
    for (int part = 0; part < 4; ++part) {
        const std::int64_t value = (units >> (8 * part)) & 0xFF;
        text += (part == 0 ? "" : ":") + std::string(value < 10 ? "0" : "") + std::to_string(value);
    }
    return text;
}

GstClockTime MediaDevice::CurrentTime() const {
    if (mode_ == Mode::Recording) {
        return sound_.RecordingAt();
    }
    if (mode_ != Mode::Playing) {
        return position_;
    }
    // A stream's places only grow; it has no end to keep them within.
    if (Info().live) {
        return std::max(pipeline_->Position().value_or(position_), position_);
    }
    // Just after a seek the pipeline may still report where it was.
    const GstClockTime now = pipeline_->Position().value_or(playStart_);
    return std::clamp(now, playStart_, end_);
}

void MediaDevice::Poll() {
    if (mode_ == Mode::Recording) {
        end_ = Info().duration;
        if (sound_.RecordingEnded()) {
            FinishRecording();
        }
        return;
    }
    // A file without pictures has nothing to redraw, and asking the display
    // costs a round of the X connection on every command.
    if (window_ && Info().hasVideo && window_->TakeExposed()) {
        pipeline_->Redraw();
    }
    const PlaybackPipeline::Events events = pipeline_->Drain();
    if (mode_ == Mode::Playing && (events.endOfStream || events.error)) {
        endedInError_ = events.error && !events.endOfStream;
        FinishPlay();
    }
}

// A stream error ends the play as its end would: decoders complain when a short
// range holds no whole picture, and a caller polling for the end of a damaged
// file should move on rather than wait for ever.
void MediaDevice::FinishPlay() {
    position_ = end_;
    mode_ = Mode::Stopped;
    segmentReady_ = false;
    pipeline_->SetPlaying(false);
}

void MediaDevice::Halt() {
    if (mode_ == Mode::Playing) {
        position_ = CurrentTime();
        pipeline_->SetPlaying(false);
    }
}

bool MediaDevice::StartSegment(GstClockTime start) {
    pipeline_->SetPlaying(false);
    const bool ok = pipeline_->Seek(Rate(), start, end_);
    // A flushing seek returns once the old data is gone, so whatever the bus
    // holds now (an end reached just before) belongs to the old segment. The
    // pipeline is paused, so the new one cannot have ended yet.
    pipeline_->Drain();
    if (!ok) {
        segmentReady_ = false;
        return false;
    }
    position_ = start;
    segmentReady_ = true;
    return true;
}

std::uint32_t MediaDevice::Play(std::optional<std::int64_t> from, std::optional<std::int64_t> to,
                                bool wait) {
    // A stream plays on from where it is, and only on: it has no places to
    // start or stop at.
    if (Info().live) {
        if (from || to) return mcierr::kOutOfRange;
        if (!pipeline_->SetPlaying(true)) return mcierr::kDriverInternal;
        mode_ = Mode::Playing;
        return mcierr::kNone;
    }
    if ((from && OutOfRange(*from)) || (to && OutOfRange(*to))) {
        return mcierr::kOutOfRange;
    }
    Halt();
    const GstClockTime start = from ? std::min(FromUnits(*from), Info().duration) : position_;
    const GstClockTime end = to ? std::min(FromUnits(*to), Info().duration) : Info().duration;
    if (start > end) {
        return mcierr::kOutOfRange;
    }
    if (start == end) {
        // Nothing to play: the device is already where the play would stop.
        mode_ = Mode::Stopped;
        position_ = end;
        end_ = end;
        segmentReady_ = false;
        return mcierr::kNone;
    }
    endedInError_ = false;
    const bool samePlace = segmentReady_ && start == position_ && end == end_;
    end_ = end;
    playStart_ = start;
    if (!samePlace && !StartSegment(start)) {
        mode_ = Mode::Stopped;
        return mcierr::kDriverInternal;
    }
    if (!pipeline_->SetPlaying(true)) {
        mode_ = Mode::Stopped;
        return mcierr::kDriverInternal;
    }
    mode_ = Mode::Playing;
    if (wait) {
        const GstClockTime remaining = end_ - start;
        const auto timeout = static_cast<GstClockTime>(static_cast<double>(remaining) / Rate());
        const PlaybackPipeline::Events events = pipeline_->Wait(timeout + kWaitMargin, true);
        if (events.endOfStream || events.error) {
            endedInError_ = events.error && !events.endOfStream;
            FinishPlay();
        }
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Pause() {
    // What was recorded is kept; resume records on after it.
    if (mode_ == Mode::Recording) {
        FinishRecording();
        mode_ = Mode::Paused;
        recordPaused_ = true;
        return mcierr::kNone;
    }
    if (mode_ == Mode::Playing) {
        Halt();
        mode_ = Mode::Paused;
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Resume() {
    if (mode_ == Mode::Paused && recordsNew_) {
        // A new device plays nothing: only a paused recording goes on.
        if (!recordPaused_) {
            return mcierr::kSequenceError;
        }
        if (const std::uint32_t rc =
                sound_.StartRecording(position_, recordStop_, recordOverwrite_, captureDevice_);
            rc != mcierr::kNone) {
            return rc;
        }
        recordPaused_ = false;
        mode_ = Mode::Recording;
        return mcierr::kNone;
    }
    if (mode_ == Mode::Paused) {
        if (!segmentReady_ && !StartSegment(position_)) {
            return mcierr::kDriverInternal;
        }
        playStart_ = position_;
        if (!pipeline_->SetPlaying(true)) {
            return mcierr::kDriverInternal;
        }
        mode_ = Mode::Playing;
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Stop() {
    recordPaused_ = false;
    if (mode_ == Mode::Recording) {
        FinishRecording();
    }
    Halt();
    mode_ = Mode::Stopped;
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Seek(std::optional<std::int64_t> target, bool toEnd, bool wait) {
    if (Info().live) return mcierr::kUnsupportedFunction;
    if (target && OutOfRange(*target)) {
        return mcierr::kOutOfRange;
    }
    Halt();
    mode_ = Mode::Stopped;
    recordPaused_ = false;
    const GstClockTime where = toEnd    ? Info().duration
                               : target ? std::min(FromUnits(*target), Info().duration)
                                        : 0;
    end_ = Info().duration;
    if (!StartSegment(where)) {
        return mcierr::kDriverInternal;
    }
    if (wait) {
        pipeline_->Wait(kSeekTimeout, false);
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetTimeFormat(std::string_view format) {
    // A format may be given by its number, as the language numbers them.
    static constexpr struct {
        std::int64_t number;
        std::string_view name;
    } kNumbered[] = {{0, "ms"},       {1, "hms"},      {2, "msf"},      {3, "frames"},
                     {4, "smpte 24"}, {5, "smpte 25"}, {6, "smpte 30"}, {7, "smpte 30 drop"},
                     {8, "bytes"},    {9, "samples"},  {10, "tmsf"},    {0x4001, "song pointer"}};
    if (const std::optional<std::int64_t> number = ParseInteger(format)) {
        for (const auto& numbered : kNumbered) {
            if (numbered.number == *number) {
                return SetTimeFormat(numbered.name);
            }
        }
        return mcierr::kBadTimeFormat;
    }
    std::optional<TimeFormat> chosen;
    if (EqualsNoCase(format, "ms") || EqualsNoCase(format, "milliseconds")) {
        chosen = TimeFormat::Milliseconds;
    }
    switch (type_) {
        case DeviceType::DigitalVideo:
            // Without pictures there are no frames to count: the device keeps counting
            // milliseconds, and callers that ask for frames see a rate of 1000.
            if (EqualsNoCase(format, "frames") && Info().hasVideo) {
                chosen = TimeFormat::Frames;
            }
            break;
        case DeviceType::WaveAudio:
            if (EqualsNoCase(format, "bytes")) {
                chosen = TimeFormat::Bytes;
            } else if (EqualsNoCase(format, "samples")) {
                chosen = TimeFormat::Samples;
            }
            break;
        case DeviceType::Sequencer:
            for (const TimeFormat each :
                 {TimeFormat::SongPointer, TimeFormat::Smpte24, TimeFormat::Smpte25,
                  TimeFormat::Smpte30, TimeFormat::Smpte30Drop}) {
                if (EqualsNoCase(format, TimeFormatName(each))) {
                    chosen = each;
                }
            }
            break;
    }
    if (!chosen) {
        return mcierr::kBadTimeFormat;
    }
    format_ = *chosen;
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetSpeed(std::int64_t thousandths) {
    if (thousandths <= 0 || thousandths > kMaxSpeed) {
        return mcierr::kOutOfRange;
    }
    if (thousandths == speed_) {
        return mcierr::kNone;
    }
    // A station sends at its own pace.
    if (Info().live) return mcierr::kUnsupportedFunction;
    speed_ = thousandths;
    if (mode_ == Mode::Playing) {
        const GstClockTime now = CurrentTime();
        playStart_ = now;
        if (!StartSegment(now) || !pipeline_->SetPlaying(true)) {
            position_ = now;
            mode_ = Mode::Stopped;
            return mcierr::kDriverInternal;
        }
    } else {
        segmentReady_ = false;
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetMute(bool mute) {
    audioOff_ = mute;
    pipeline_->SetMute(mute);
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetVolume(std::int64_t thousandths) {
    if (thousandths < 0 || thousandths > kMaxVolume) {
        return mcierr::kOutOfRange;
    }
    volume_ = thousandths;
    pipeline_->SetVolume(static_cast<double>(thousandths) / 1000.0);
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Status(Kw item, std::string& reply) {
    switch (item) {
        case Kw::Length:
            // Not 0: a caller testing position >= length would find a stream ended at once.
            if (Info().live) return mcierr::kUnsupportedFunction;
            reply = UnitsText(LengthUnits());
            break;
        case Kw::Position: {
            std::int64_t units = ToUnits(CurrentTime());
            if (mode_ == Mode::Playing && !Packed() && !Info().live) {
                // Only a device that has stopped there stands at the end, so a
                // caller testing position >= end never sees it while playing.
                units = std::min(units, std::max<std::int64_t>(ToUnits(end_) - 1, 0));
            }
            reply = UnitsText(units);
            break;
        }
        case Kw::Speed:
            // Thousandths of normal speed: the player divides by ten for its per cent.
            reply = std::to_string(speed_);
            break;
        case Kw::Mode:
            reply = mode_ == Mode::Playing     ? "playing"
                    : mode_ == Mode::Paused    ? "paused"
                    : mode_ == Mode::Recording ? "recording"
                                               : "stopped";
            break;
        case Kw::TimeFormat:
            reply = TimeFormatName(format_);
            break;
        case Kw::Ready:
            reply = "true";
            break;
        case Kw::Volume:
            reply = std::to_string(volume_);
            break;
        case Kw::Audio:
        case Kw::AudioStream:
        case Kw::VideoStream:
            return StreamStatus(item, reply);
        case Kw::MediaPresent:
            reply = noFile_ ? "false" : "true";
            break;
        case Kw::Tempo:
            reply = std::to_string((fileTempo_ * speed_ + 500) / 1000);
            break;
        case Kw::Port:
            reply = port_;
            break;
        // A file is one track.
        case Kw::NumberOfTracks:
        case Kw::CurrentTrack:
            reply = "1";
            break;
        case Kw::StartPosition:
            reply = UnitsText(0);
            break;
        // In thousandths of a frame a second; the current one at the current speed.
        case Kw::NominalFrameRate:
        case Kw::FrameRate: {
            std::int64_t rate = Info().hasVideo
                                    ? static_cast<std::int64_t>(gst_util_uint64_scale_round(
                                          static_cast<guint64>(Info().fpsNum), 1000,
                                          static_cast<guint64>(Info().fpsDen)))
                                    : 1000000;
            if (item == Kw::FrameRate) {
                rate = rate * speed_ / 1000;
            }
            reply = std::to_string(rate);
            break;
        }
        case Kw::WindowHandle:
            if (!window_ || !Info().hasVideo) {
                return mcierr::kNoWindow;
            }
            reply = std::to_string(window_->Handle());
            break;
        case Kw::WindowVisible:
        case Kw::WindowMinimized:
        case Kw::WindowMaximized: {
            if (!Info().hasVideo) {
                return mcierr::kNoWindow;
            }
            const WindowState asked = item == Kw::WindowVisible     ? windowState_
                                      : item == Kw::WindowMinimized ? WindowState::Minimized
                                                                    : WindowState::Maximized;
            reply = (item == Kw::WindowVisible ? windowState_ != WindowState::Hidden
                                               : windowState_ == asked)
                        ? "true"
                        : "false";
            break;
        }
        default:
            return sound_.FormatStatus(item, reply) ? mcierr::kNone : mcierr::kBadConstant;
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Where(Kw item, std::string& reply) const {
    // Sound alone has no picture: the player reads 346 as no size and leaves its video area.
    if (!Info().hasVideo) {
        return mcierr::kNoWindow;
    }
    // The window's place is in its parent; the picture fills it from its corner.
    const Rect rect = item == Kw::Source   ? source_
                      : item == Kw::Window ? destination_
                                           : Rect{0, 0, destination_.width, destination_.height};
    // Single blanks between the four numbers: the player finds width and height by them.
    reply = std::to_string(rect.x) + " " + std::to_string(rect.y) + " " +
            std::to_string(rect.width) + " " + std::to_string(rect.height);
    return mcierr::kNone;
}

std::uint32_t MediaDevice::PutWindow(const Rect& rect) {
    if (!Info().hasVideo) {
        return mcierr::kNoWindow;
    }
    if (rect.width <= 0 || rect.height <= 0 || rect.width > kMaxWindowSide ||
        rect.height > kMaxWindowSide || std::abs(rect.x) > kMaxWindowSide ||
        std::abs(rect.y) > kMaxWindowSide) {
        return mcierr::kOutOfRange;
    }
    destination_ = rect;
    if (window_) {
        const auto w = static_cast<int>(rect.width);
        const auto h = static_cast<int>(rect.height);
        window_->Place(static_cast<int>(rect.x), static_cast<int>(rect.y), w, h);
        pipeline_->SetPictureSize(w, h);
        // A paused or stopped picture is scaled anew only when a picture
        // passes again: show the one where the device stands at the new size.
        if (mode_ != Mode::Playing && position_ < end_) {
            StartSegment(position_);
        }
    }
    return mcierr::kNone;
}

}  // namespace kelto::mciservice

namespace kelto::mciservice {

std::uint32_t MediaDevice::PutSource(const Rect& rect) {
    if (!Info().hasVideo) {
        return mcierr::kNoWindow;
    }
    if (rect.x < 0 || rect.y < 0 || rect.width <= 0 || rect.height <= 0 ||
        rect.x + rect.width > Info().width || rect.y + rect.height > Info().height) {
        return mcierr::kOutOfRange;
    }
    source_ = rect;
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetWindowState(WindowState state) {
    if (!Info().hasVideo) {
        return mcierr::kNoWindow;
    }
    windowState_ = state;
    if (window_) {
        window_->SetVisible(state != WindowState::Hidden && state != WindowState::Minimized);
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetWindowText(std::string_view text) {
    if (!Info().hasVideo) {
        return mcierr::kNoWindow;
    }
    windowText_ = std::string(text);
    if (window_) {
        window_->SetTitle(windowText_);
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::SetWindowHandle(std::uint64_t handle) {
    if (!Info().hasVideo || (handle != 0 && !VideoWindow::IsWindow(handle))) {
        return mcierr::kNoWindow;
    }
    // A picture that goes to no window here cannot be sent to one.
    if (!window_) {
        return handle == 0 ? mcierr::kNone : mcierr::kUnsupportedFunction;
    }
    int width = static_cast<int>(destination_.width);
    int height = static_cast<int>(destination_.height);
    if (handle == 0) {
        width = Info().width;
        height = Info().height;
    }
    if (!window_->MoveInto(handle, width, height)) {
        return mcierr::kNoWindow;
    }
    return PutWindow(Rect{0, 0, width, height});
}

std::uint32_t MediaDevice::Step(std::int64_t frames) {
    if (Info().live) return mcierr::kUnsupportedFunction;
    Halt();
    // One picture's time; a device without pictures counts milliseconds.
    const GstClockTime frame =
        Info().hasVideo
            ? gst_util_uint64_scale_round(static_cast<guint64>(Info().fpsDen), GST_SECOND,
                                          static_cast<guint64>(Info().fpsNum))
            : GST_MSECOND;
    const auto step = static_cast<GstClockTime>(frames < 0 ? -frames : frames) * frame;
    const GstClockTime where = frames < 0 ? (step > position_ ? 0 : position_ - step)
                                          : std::min(position_ + step, Info().duration);
    mode_ = Mode::Paused;
    end_ = Info().duration;
    if (!StartSegment(where)) {
        mode_ = Mode::Stopped;
        return mcierr::kDriverInternal;
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Cue(std::optional<std::int64_t> target) {
    if (Info().live) return mcierr::kUnsupportedFunction;
    if (target && OutOfRange(*target)) {
        return mcierr::kOutOfRange;
    }
    Halt();
    recordPaused_ = false;
    const GstClockTime where = target ? std::min(FromUnits(*target), Info().duration) : position_;
    end_ = Info().duration;
    if (!StartSegment(where)) {
        mode_ = Mode::Stopped;
        return mcierr::kDriverInternal;
    }
    mode_ = Mode::Paused;
    return mcierr::kNone;
}

}  // namespace kelto::mciservice

namespace kelto::mciservice {

std::uint32_t MediaDevice::SetWaveFormat(Kw item, std::int64_t value) {
    return sound_.SetFormatItem(item, value);
}

std::uint32_t MediaDevice::SetFormatTag(std::string_view tag) { return sound_.SetFormatTag(tag); }

std::uint32_t MediaDevice::SetTempo(std::int64_t beatsPerMinute) {
    const std::int64_t speed = (beatsPerMinute * 1000 + fileTempo_ / 2) / fileTempo_;
    if (beatsPerMinute <= 0 || speed <= 0 || speed > kMaxSpeed) {
        return mcierr::kOutOfRange;
    }
    return SetSpeed(speed);
}

std::uint32_t MediaDevice::SetPort(std::string_view port) {
    if (EqualsNoCase(port, "mapper") || EqualsNoCase(port, "none")) {
        port_ = EqualsNoCase(port, "none") ? "none" : "mapper";
    } else {
        const std::optional<std::int64_t> number = ParseInteger(port);
        if (!number || *number < 0) {
            return mcierr::kBadInteger;
        }
        port_ = std::to_string(*number);
    }
    // No port: the notes go nowhere.
    pipeline_->SetMute(port_ == "none");
    return mcierr::kNone;
}

}  // namespace kelto::mciservice

namespace kelto::mciservice {

namespace {

// Added to the asked-for length when a caller waits for a recording.
constexpr GstClockTime kRecordWaitMargin = 10 * GST_SECOND;

}  // namespace

void MediaDevice::FinishRecording() {
    position_ = sound_.FinishRecording();
    mode_ = Mode::Stopped;
    end_ = Info().duration;
}

std::uint32_t MediaDevice::Record(std::optional<std::int64_t> from, std::optional<std::int64_t> to,
                                  bool overwrite, bool wait) {
    if (mode_ == Mode::Recording) {
        FinishRecording();
    }
    if ((from && OutOfRange(*from)) || (to && *to < 0)) {
        return mcierr::kOutOfRange;
    }
    const GstClockTime start = from ? FromUnits(*from) : position_;
    const std::optional<GstClockTime> stop =
        to ? std::optional<GstClockTime>(FromUnits(*to)) : std::nullopt;
    if (const std::uint32_t rc = sound_.StartRecording(start, stop, overwrite, captureDevice_);
        rc != mcierr::kNone) {
        return rc;
    }
    recordPaused_ = false;
    recordStop_ = stop;
    recordOverwrite_ = overwrite;
    mode_ = Mode::Recording;
    if (wait && stop) {
        const GstClockTime limit =
            gst_util_get_timestamp() + (*stop - std::min(*stop, start)) + kRecordWaitMargin;
        while (mode_ == Mode::Recording && gst_util_get_timestamp() < limit) {
            g_usleep(10000);
            Poll();
        }
        if (mode_ == Mode::Recording) {
            FinishRecording();
        }
    }
    return mcierr::kNone;
}

std::uint32_t MediaDevice::Save(const std::string& path) {
    // A stand-in service touches no files, so a fuzzed script writes none.
    if (!captureDevice_) {
        return mcierr::kDeviceNotReady;
    }
    if (mode_ == Mode::Recording) {
        FinishRecording();
    }
    return sound_.Save(path);
}

std::uint32_t MediaDevice::Delete(std::optional<std::int64_t> from,
                                  std::optional<std::int64_t> to) {
    if (mode_ == Mode::Recording) {
        FinishRecording();
    }
    if ((from && OutOfRange(*from)) || (to && OutOfRange(*to))) {
        return mcierr::kOutOfRange;
    }
    const std::optional<GstClockTime> stop =
        to ? std::optional<GstClockTime>(FromUnits(*to)) : std::nullopt;
    if (!sound_.Delete(from ? FromUnits(*from) : 0, stop)) {
        return mcierr::kOutOfRange;
    }
    end_ = Info().duration;
    position_ = std::min(position_, Info().duration);
    return mcierr::kNone;
}

}  // namespace kelto::mciservice
