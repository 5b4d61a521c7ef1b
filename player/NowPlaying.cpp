#include "player/NowPlaying.h"

#include <QImage>
#include <QUrl>
#include <utility>

#include "platform/widgets/ListBox.h"

namespace kelto::player {

NowPlaying::NowPlaying(ui::Form1& form, PlaybackControl& playback, platform::TrackTagSource* source,
                       ui::CoverView* view, CoverCache cache)
    : form_(form), playback_(playback), source_(source), view_(view), cache_(std::move(cache)) {
    poll_.setInterval(kIntervalMs);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Refresh(); });
    poll_.start();
}

void NowPlaying::Refresh() {
    // The window is closing: its media are being closed and must not be asked.
    if (!form_.TimerAtEndFile->isActive()) return;
    ui::PlayerState& s = form_.state;
    Seen seen;
    seen.path = s.playingPath;
    seen.playing = !s.deviceAlias.empty() && !s.playingPath.empty() && s.playFailure.empty();
    seen.video = s.videoWidth != -1;
    if (seen.playing && source_ != nullptr) {
        // Said once, as a file that would not open; paused, it is said on resuming.
        if (s.liveStream && form_.TimerMisc->isActive()) {
            const std::string why = source_->StreamFailure(s.deviceAlias);
            if (!why.empty()) {
                playback_.SayNotPlaying(why);
                seen.playing = false;
            }
        }
        if (seen.playing) seen.version = source_->TagsVersion(s.deviceAlias);
    }
    if (seen == seen_) return;
    seen_ = seen;
    Rebuild(seen);
}

void NowPlaying::Rebuild(const Seen& seen) {
    ui::PlayerState& s = form_.state;
    Track next;
    QImage cover;
    if (seen.playing) {
        next.path = seen.path;
        if (seen.version > 0) next.tags = source_->Tags(s.deviceAlias);
        QString coverPath;
        if (!next.tags.cover.empty()) {
            coverPath = cache_.Store(next.tags.cover);
            cover.loadFromData(next.tags.cover.data(), static_cast<int>(next.tags.cover.size()));
        } else if (!s.liveStream) {
            coverPath = CoverBeside(QString::fromLocal8Bit(seen.path));
            if (!coverPath.isEmpty()) cover.load(coverPath);
        }
        if (!coverPath.isEmpty()) next.artUrl = QUrl::fromLocalFile(coverPath).toString();
    }
    if (view_ != nullptr) {
        if (seen.playing && !seen.video && (!cover.isNull() || !next.tags.Empty())) {
            view_->Show(cover, Caption(next.tags));
        } else {
            view_->Clear();
        }
    }
    // A station's song in place of the entry's title, for as long as it plays.
    if (seen.playing && s.liveStream) {
        form_.setStripNotice(QString::fromStdString(next.tags.title));
    }
    current_ = std::move(next);
}

QString NowPlaying::Caption(const platform::TrackTags& tags) const {
    const QString artist = QString::fromStdString(tags.artist);
    QString title = tags.title.empty() ? form_.List1->text(form_.List1->currentRow())
                                       : QString::fromStdString(tags.title);
    if (artist.isEmpty()) return title;
    return title.isEmpty() ? artist : artist + QStringLiteral(" \u2013 ") + title;
}

}  // namespace kelto::player
