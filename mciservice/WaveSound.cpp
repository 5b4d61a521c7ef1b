#include "mciservice/WaveSound.h"

#include <algorithm>

#include "mciservice/ErrorCodes.h"
#include "mciservice/WaveRecorder.h"

namespace kelto::mciservice {

namespace {

// Long enough for a sound server that is there to start a capture stream.
constexpr GstClockTime kRecordStartTimeout = 5 * GST_SECOND;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

WaveSound::WaveSound() = default;
WaveSound::~WaveSound() = default;

std::uint32_t WaveSound::SetFormatItem(Kw item, std::int64_t value) {
    // Within what a wave file's header can say, and sound can be.
    const bool valid = item == Kw::Channels ? value >= 1 && value <= 8
                       : item == Kw::BitsPerSample
                           ? value == 8 || value == 16 || value == 24 || value == 32
                       : item == Kw::SamplesPerSec ? value >= 1000 && value <= 384000
                                                   : value >= 1 && value <= 0xFFFFFFF;
    if (!valid) {
        return mcierr::kOutOfRange;
    }
    switch (item) {
        case Kw::Channels:
            format_.channels = value;
            break;
        case Kw::BitsPerSample:
            format_.bitsPerSample = value;
            break;
        case Kw::SamplesPerSec:
            format_.samplesPerSec = value;
            break;
        case Kw::BytesPerSec:
            format_.bytesPerSec = value;
            return mcierr::kNone;
        case Kw::Alignment:
            format_.alignment = value;
            return mcierr::kNone;
        default:
            return mcierr::kBadConstant;
    }
    // PCM's block and byte rate follow from the other three.
    if (format_.formatTag == 1) {
        format_.alignment = format_.channels * format_.bitsPerSample / 8;
        format_.bytesPerSec = format_.samplesPerSec * format_.alignment;
    }
    return mcierr::kNone;
}

std::uint32_t WaveSound::SetFormatTag(std::string_view tag) {
    if (EqualsNoCase(tag, "pcm")) {
        format_.formatTag = 1;
        return mcierr::kNone;
    }
    const std::optional<std::int64_t> value = ParseInteger(tag);
    if (!value || *value < 1 || *value > 0xFFFF) {
        return mcierr::kBadInteger;
    }
    format_.formatTag = *value;
    return mcierr::kNone;
}

bool WaveSound::FormatStatus(Kw item, std::string& reply) const {
    switch (item) {
        case Kw::BitsPerSample:
            reply = std::to_string(format_.bitsPerSample);
            return true;
        case Kw::Channels:
            reply = std::to_string(format_.channels);
            return true;
        case Kw::SamplesPerSec:
            reply = std::to_string(format_.samplesPerSec);
            return true;
        case Kw::BytesPerSec:
            reply = std::to_string(format_.bytesPerSec);
            return true;
        case Kw::Alignment:
            reply = std::to_string(format_.alignment);
            return true;
        case Kw::FormatTag:
            reply = format_.formatTag == 1 ? "pcm" : std::to_string(format_.formatTag);
            return true;
        // The input level is not measured.
        case Kw::Level:
            reply = "0";
            return true;
        default:
            return false;
    }
}

GstClockTime WaveSound::BytesToTime(std::size_t bytes) const {
    return gst_util_uint64_scale(bytes, GST_SECOND, static_cast<guint64>(format_.bytesPerSec));
}

std::size_t WaveSound::TimeToBytes(GstClockTime time) const {
    const guint64 bytes =
        gst_util_uint64_scale_round(time, static_cast<guint64>(format_.bytesPerSec), GST_SECOND);
    return static_cast<std::size_t>(bytes - bytes % static_cast<guint64>(format_.alignment));
}

GstClockTime WaveSound::Length() const {
    std::size_t bytes = recorded_.size();
    if (recorder_) {
        const std::size_t reach = recordAt_ + recorder_->Size();
        bytes = recordOverwrite_ ? std::max(bytes, reach) : bytes + recorder_->Size();
    }
    return BytesToTime(bytes);
}

GstClockTime WaveSound::RecordingAt() const {
    return BytesToTime(recordAt_ + (recorder_ ? recorder_->Size() : 0));
}

std::uint32_t WaveSound::StartRecording(GstClockTime from, std::optional<GstClockTime> to,
                                        bool overwrite, bool captureDevice) {
    if (recorder_) {
        FinishRecording();
    }
    const std::size_t start = std::min(TimeToBytes(from), recorded_.size());
    std::optional<std::size_t> bytes;
    if (to) {
        const std::size_t stop = TimeToBytes(*to);
        if (stop <= start) {
            return mcierr::kOutOfRange;
        }
        bytes = stop - start;
    }
    // No input that records in this format: none at all, or none that takes it.
    recorder_ = captureDevice ? WaveRecorder::Start(format_, kRecordStartTimeout) : nullptr;
    if (!recorder_) {
        return mcierr::kWaveInputsUnsuitable;
    }
    recordAt_ = start;
    recordOverwrite_ = overwrite;
    recordBytes_ = bytes;
    return mcierr::kNone;
}

bool WaveSound::RecordingEnded() const {
    return recorder_ &&
           (recorder_->Failed() || (recordBytes_ && recorder_->Size() >= *recordBytes_));
}

GstClockTime WaveSound::FinishRecording() {
    if (!recorder_) {
        return BytesToTime(recordAt_);
    }
    std::vector<std::uint8_t> data = recorder_->Finish();
    recorder_.reset();
    if (recordBytes_ && data.size() > *recordBytes_) {
        data.resize(*recordBytes_);
    }
    const auto at = recorded_.begin() + static_cast<std::ptrdiff_t>(recordAt_);
    if (recordOverwrite_) {
        const std::size_t kept = std::min(data.size(), recorded_.size() - recordAt_);
        std::copy_n(data.begin(), kept, at);
        recorded_.insert(recorded_.end(), data.begin() + static_cast<std::ptrdiff_t>(kept),
                         data.end());
    } else {
        recorded_.insert(at, data.begin(), data.end());
    }
    return BytesToTime(recordAt_ + data.size());
}

std::uint32_t WaveSound::Save(const std::string& path) const {
    const auto size = static_cast<std::uint32_t>(recorded_.size());
    std::string file = "RIFF";
    PutLittleEndian(file, 36 + size, 4);
    file += "WAVEfmt ";
    PutLittleEndian(file, 16, 4);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.formatTag), 2);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.channels), 2);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.samplesPerSec), 4);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.bytesPerSec), 4);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.alignment), 2);
    PutLittleEndian(file, static_cast<std::uint32_t>(format_.bitsPerSample), 2);
    file += "data";
    PutLittleEndian(file, size, 4);
    file.append(recorded_.begin(), recorded_.end());
    // Written under a temporary name and renamed over the old file, so that a
    // failed save never leaves half a file.
    GError* error = nullptr;
    if (!g_file_set_contents(path.c_str(), file.data(), static_cast<gssize>(file.size()), &error)) {
        g_clear_error(&error);
        return mcierr::kFileNotFound;
    }
    return mcierr::kNone;
}

bool WaveSound::Delete(GstClockTime from, std::optional<GstClockTime> to) {
    const std::size_t start = std::min(TimeToBytes(from), recorded_.size());
    const std::size_t stop = std::min(to ? TimeToBytes(*to) : recorded_.size(), recorded_.size());
    if (start > stop) {
        return false;
    }
    recorded_.erase(recorded_.begin() + static_cast<std::ptrdiff_t>(start),
                    recorded_.begin() + static_cast<std::ptrdiff_t>(stop));
    return true;
}

}  // namespace kelto::mciservice
