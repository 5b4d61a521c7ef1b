#include "fuzz/FakePipeline.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "mciservice/ErrorCodes.h"

namespace kelto::fuzz {

namespace {

bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    text.remove_prefix(text.size() - tail.size());
    return std::equal(text.begin(), text.end(), tail.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// The first run of digits in the file's name before its extension (at most
// nine, so it stays a sane length), or 1000.
GstClockTime LengthFromName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    path.remove_prefix(slash == std::string_view::npos ? 0 : slash + 1);
    path = path.substr(0, path.rfind('.'));
    const std::size_t first = path.find_first_of("0123456789");
    if (first == std::string_view::npos) {
        return 1000 * GST_MSECOND;
    }
    GstClockTime ms = 0;
    for (std::size_t i = first;
         i < path.size() && i < first + 9 && std::isdigit(static_cast<unsigned char>(path[i]));
         ++i) {
        ms = ms * 10 + static_cast<GstClockTime>(path[i] - '0');
    }
    return std::max<GstClockTime>(ms, 1) * GST_MSECOND;
}

}  // namespace

FakePipeline::FakePipeline(const mciservice::StreamInfo& info, bool failsMidway)
    : info_(info), failsMidway_(failsMidway), stop_(info.duration) {}

bool FakePipeline::Seek(double rate, GstClockTime start, GstClockTime stop) {
    // A real pipeline refuses these too; the device must cope with the refusal.
    if (!(rate > 0.0) || start > stop || stop > info_.duration) {
        return false;
    }
    rate_ = rate;
    position_ = start;
    stop_ = stop;
    ended_ = false;
    return true;
}

bool FakePipeline::SetPlaying(bool playing) {
    playing_ = playing;
    return true;
}

FakePipeline::Events FakePipeline::Finish() {
    Events events;
    if (ended_) {
        return events;
    }
    ended_ = true;
    if (failsMidway_) {
        events.error = true;
    } else {
        position_ = stop_;
        events.endOfStream = true;
    }
    return events;
}

FakePipeline::Events FakePipeline::Drain() {
    if (!playing_ || ended_) {
        return {};
    }
    const auto step = static_cast<GstClockTime>(static_cast<double>(kStep) * rate_);
    const GstClockTime halfway = stop_ / 2;
    if (failsMidway_ && position_ < halfway && position_ + step >= halfway) {
        position_ = halfway;
        return Finish();
    }
    if (stop_ - position_ <= step) {
        return Finish();
    }
    position_ += step;
    return {};
}

FakePipeline::Events FakePipeline::Wait(GstClockTime, bool untilEnd) {
    if (!untilEnd || !playing_) {
        return {};
    }
    return Finish();
}

void FakePipeline::SetVolume(double volume) {
    if (volume < 0.0 || volume > 1.0) {
        __builtin_trap();  // the device must have checked the range already
    }
}

void FakePipeline::SetPictureSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) {
        __builtin_trap();
    }
}

std::uint32_t OpenFakeMedia(const std::string& path,
                            std::unique_ptr<mciservice::PlaybackPipeline>& out) {
    if (Contains(path, "missing")) {
        return mciservice::mcierr::kFileNotFound;
    }
    if (Contains(path, "broken")) {
        return mciservice::mcierr::kInvalidFile;
    }
    mciservice::StreamInfo info;
    info.duration = LengthFromName(path);
    const bool soundOnly = EndsWithNoCase(path, ".mp3") || EndsWithNoCase(path, ".mp2") ||
                           EndsWithNoCase(path, ".wav") || EndsWithNoCase(path, ".mid");
    if (!soundOnly) {
        info.hasVideo = true;
        info.width = 320;
        info.height = 240;
        info.fpsNum = Contains(path, "ntsc") ? 30000 : 25;
        info.fpsDen = Contains(path, "ntsc") ? 1001 : 1;
    }
    out = std::make_unique<FakePipeline>(info, Contains(path, "fault"));
    return mciservice::mcierr::kNone;
}

}  // namespace kelto::fuzz
