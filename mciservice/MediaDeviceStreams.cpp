// A device's choice among its file's sound, picture and text streams.
#include "mciservice/ErrorCodes.h"
#include "mciservice/MediaDevice.h"

namespace kelto::mciservice {

namespace {

// Reopening with a subtitle file prerolls the whole file again.
constexpr GstClockTime kReopenTimeout = 10 * GST_SECOND;
constexpr GstClockTime kSettleTimeout = 5 * GST_SECOND;

}  // namespace

std::uint32_t MediaDevice::SetStream(StreamKind kind, std::int64_t number) {
    const auto count = static_cast<std::int64_t>(pipeline_->Tracks(kind).size());
    if (number < 1 || number > count ||
        !pipeline_->SelectStream(kind, static_cast<int>(number - 1))) {
        return mcierr::kOutOfRange;
    }
    return mcierr::kNone;
}

std::vector<platform::TrackInfo> MediaDevice::Tracks(StreamKind kind) const {
    return pipeline_->Tracks(kind);
}

int MediaDevice::ShownSubtitle() const {
    if (!pipeline_->TextShown()) return 0;
    return pipeline_->CurrentStream(StreamKind::Text) + 1;
}

bool MediaDevice::ShowSubtitle(int number) {
    if (number == 0) {
        pipeline_->ShowText(false);
        return true;
    }
    if (!pipeline_->SelectStream(StreamKind::Text, number - 1)) return false;
    pipeline_->ShowText(true);
    // The file is read ahead of the picture, and the text of a track that
    // was not chosen is let go as it comes: without reading again from here
    // the new track would stay blank for as long as was read ahead.
    // Standing still, the engine holds the new track's way to the picture
    // shut until data flows, and a seek then would wait for ever: a device
    // that is not playing shows the new track once what was read ahead has
    // played.
    if (mode_ != Mode::Playing) return true;
    Halt();
    if (StartSegment(position_)) {
        pipeline_->Wait(kSettleTimeout, false);
        playStart_ = position_;
        if (!pipeline_->SetPlaying(true)) mode_ = Mode::Stopped;
    } else {
        mode_ = Mode::Stopped;
    }
    return true;
}

bool MediaDevice::AddSubtitleFile(const std::string& path) {
    if (!Info().hasVideo || recordsNew_) return false;
    const bool wasPlaying = mode_ == Mode::Playing;
    Halt();
    const bool loaded = pipeline_->LoadTextFile(path, kReopenTimeout);
    // The file stands prerolled at its start now, whether the subtitles came or not.
    segmentReady_ = false;
    if (StartSegment(position_)) {
        pipeline_->Wait(kSettleTimeout, false);
        if (wasPlaying) {
            playStart_ = position_;
            if (!pipeline_->SetPlaying(true)) mode_ = Mode::Stopped;
        }
    } else {
        mode_ = Mode::Stopped;
    }
    return loaded;
}

std::uint32_t MediaDevice::StreamStatus(Kw item, std::string& reply) const {
    if (item == Kw::Audio) {
        reply = audioOff_ ? "off" : "on";
        return mcierr::kNone;
    }
    const StreamKind kind = item == Kw::VideoStream ? StreamKind::Video : StreamKind::Audio;
    // 0: the file has no stream of that kind.
    reply = std::to_string(pipeline_->CurrentStream(kind) + 1);
    return mcierr::kNone;
}

}  // namespace kelto::mciservice
