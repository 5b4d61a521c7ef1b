#include "desktop/PlaybackWatch.h"

namespace kelto::desktop {

namespace {

PlaybackStatus StatusOfMode(const std::string& mode) {
    if (mode == "playing" || mode == "seeking") return PlaybackStatus::Playing;
    if (mode == "paused") return PlaybackStatus::Paused;
    return PlaybackStatus::Stopped;
}

}  // namespace

PlaybackWatch::PlaybackWatch(PlayerParts parts, QObject* parent) : QObject(parent), parts_(parts) {
    poll_.setInterval(kIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &PlaybackWatch::Refresh);
    poll_.start();
    current_ = Take();
}

std::int64_t PlaybackWatch::PositionUs() {
    if (!current_.open || !parts_.form.TimerAtEndFile->isActive()) return -1;
    const std::int32_t ms = parts_.media.GetPositionMs(parts_.form.state.deviceAlias);
    return ms < 0 ? -1 : std::int64_t{ms} * 1000;
}

PlaybackSnapshot PlaybackWatch::Take() {
    ui::Form1& form = parts_.form;
    PlaybackSnapshot now;
    now.count = form.List1->count();
    now.row = form.List1->currentRow();
    if (now.row >= now.count) now.row = -1;
    if (now.row >= 0) {
        now.title = form.List1->text(now.row);
        now.path = form.List2->text(now.row);
        now.pathBytes = form.List2->bytes(now.row);
    }
    if (parts_.nowPlaying != nullptr && now.row >= 0 &&
        parts_.nowPlaying->current().path == now.pathBytes.toStdString()) {
        const player::NowPlaying::Track& track = parts_.nowPlaying->current();
        now.tagTitle = QString::fromStdString(track.tags.title);
        if (!track.tags.artist.empty()) now.artists = {QString::fromStdString(track.tags.artist)};
        now.album = QString::fromStdString(track.tags.album);
        now.trackNumber = static_cast<int>(track.tags.trackNumber);
        now.artUrl = track.artUrl;
    }
    now.autoReplay = form.Check->checkState() == Qt::Checked;
    now.failed = !form.state.playFailure.empty();
    // The window is closing: its media are being closed and must not be asked.
    if (!form.TimerAtEndFile->isActive()) {
        poll_.stop();
        return now;
    }
    mci::ModuleMultimedia& mm = parts_.media;
    const std::string& alias = form.state.deviceAlias;
    if (alias.empty()) return now;
    const std::string mode = mm.GetMode(alias);
    now.open = !mode.empty();
    if (!now.open) return now;
    now.status = StatusOfMode(mode);
    const std::int32_t percent = mm.GetPlaySpeed(alias);
    if (percent > 0) now.rate = percent / 100.0;
    const std::int32_t volume = mm.GetVolume(alias);
    if (volume >= 0) now.volume = volume / 1000.0;

    // Length and picture only change with the file, so they are asked again
    // only when the device, the selection or the known length says so.
    const bool sameFile = current_.open && current_.row == now.row && current_.path == now.path &&
                          current_.lengthUs > 0;
    if (sameFile) {
        now.lengthUs = current_.lengthUs;
        now.video = current_.video;
    } else {
        const std::int32_t ms = mm.GetLengthMs(alias);
        now.lengthUs = ms > 0 ? std::int64_t{ms} * 1000 : 0;
        now.video = mm.GetDestinationSize(alias, "cx") != -1;
    }
    return now;
}

void PlaybackWatch::Refresh() {
    PlaybackSnapshot now = Take();
    if (now == current_) return;
    const PlaybackSnapshot before = current_;
    current_ = now;
    emit changed(before, current_);
}

}  // namespace kelto::desktop
