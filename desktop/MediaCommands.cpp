#include "desktop/MediaCommands.h"

#include <QCryptographicHash>
#include <QMetaObject>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <limits>

#include "mci/CheckedArithmetic.h"
#include "player/ResultLabel.h"

namespace kelto::desktop {

namespace {

constexpr std::int32_t kSlowMotionPercent = 40;

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    }
    return sum;
}

}  // namespace

MediaCommands::MediaCommands(PlayerParts parts, PlaybackWatch& watch)
    : parts_(parts), watch_(watch) {}

QString MediaCommands::TrackId(const PlaybackSnapshot& snapshot) {
    if (snapshot.row < 0 || snapshot.failed) {
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    }
    const QByteArray digest =
        QCryptographicHash::hash(snapshot.path.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("/org/kelto/Player/Track/R%1_%2")
        .arg(snapshot.row)
        .arg(QString::fromLatin1(digest));
}

void MediaCommands::ToggleUntil(PlaybackStatus wanted) {
    // Up to two presses: the pause flag follows presses, not the device, and may be out of step.
    for (int press = 0; press < 2; ++press) {
        parts_.playback.TogglePause();
        watch_.Refresh();
        if (watch_.current().status == wanted) return;
    }
}

void MediaCommands::Play() {
    watch_.Refresh();
    const PlaybackSnapshot& now = watch_.current();
    if (now.status == PlaybackStatus::Playing) return;
    if (now.status == PlaybackStatus::Paused) {
        ToggleUntil(PlaybackStatus::Playing);
        return;
    }
    if (now.row < 0) return;
    parts_.playback.PlaySelected();
    watch_.Refresh();
}

void MediaCommands::Pause() {
    watch_.Refresh();
    if (watch_.current().status == PlaybackStatus::Playing) ToggleUntil(PlaybackStatus::Paused);
}

void MediaCommands::PlayPause() {
    watch_.Refresh();
    if (watch_.current().status == PlaybackStatus::Playing) {
        ToggleUntil(PlaybackStatus::Paused);
    } else {
        Play();
    }
}

void MediaCommands::Stop() {
    watch_.Refresh();
    if (!watch_.current().open) return;
    parts_.playback.StopPlayback();
    watch_.Refresh();
}

void MediaCommands::Next() {
    parts_.endOfMedia.PlayNext();
    watch_.Refresh();
}

void MediaCommands::Previous() {
    parts_.endOfMedia.PlayPrevious();
    watch_.Refresh();
}

std::int64_t MediaCommands::SeekTo(std::int64_t positionUs) {
    ui::Form1& form = parts_.form;
    const std::string& alias = form.state.deviceAlias;
    // The device counts in frames (in milliseconds for sound): the target is
    // put into its format from its own two lengths.
    const std::int32_t lengthMs = parts_.media.GetLengthMs(alias);
    const std::int32_t lengthFrames = parts_.media.GetLengthFrames(alias);
    if (lengthMs <= 0 || lengthFrames <= 0) return -1;
    const double frames =
        static_cast<double>(positionUs) / 1000.0 * lengthFrames / static_cast<double>(lengthMs);
    const std::optional<std::int32_t> rounded = mci::RoundToInt32(frames);
    if (!rounded) return -1;
    const std::int32_t target = std::min(*rounded, lengthFrames);
    parts_.playback.NoteChoice();
    form.state.lastResult = parts_.media.SeekAndPlay(alias, target);
    player::ShowLastResult(form);
    watch_.Refresh();
    return watch_.PositionUs();
}

std::int64_t MediaCommands::SeekBy(std::int64_t offsetUs) {
    watch_.Refresh();
    const PlaybackSnapshot& now = watch_.current();
    if (!now.open || now.lengthUs <= 0) return -1;
    const std::int64_t from = watch_.PositionUs();
    if (from < 0) return -1;
    std::int64_t target = SaturatingAdd(from, offsetUs);
    if (target < 0) target = 0;
    if (target > now.lengthUs) {
        // Past the end: on to the next entry, as the end of the file would.
        Next();
        return -1;
    }
    return SeekTo(target);
}

std::int64_t MediaCommands::SetPosition(const QString& trackId, std::int64_t positionUs) {
    watch_.Refresh();
    const PlaybackSnapshot& now = watch_.current();
    if (!now.open || now.lengthUs <= 0 || trackId != TrackId(now)) return -1;
    if (positionUs < 0 || positionUs > now.lengthUs) return -1;
    return SeekTo(positionUs);
}

QString MediaCommands::OpenUri(const QString& uri) {
    const QUrl url(uri, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!url.isValid() || (!web && (!url.isLocalFile() || !url.host().isEmpty()))) {
        return QStringLiteral(
                   "only local files (file:///...) and web addresses (http://, https://) can be "
                   "opened: %1")
            .arg(uri);
    }
    // A web address joins the playlist as it was given.
    const QString path = web ? uri : url.toLocalFile();
    if (const QString why = parts_.editor.RefusalOf(path); !why.isEmpty()) {
        return QStringLiteral("%1: %2").arg(path, why);
    }
    parts_.editor.AppendAndPlay({path});
    watch_.Refresh();
    return {};
}

QString MediaCommands::SetVolume(double volume) {
    if (std::isnan(volume)) return QStringLiteral("the volume runs from 0.0 to 1.0");
    // Below 0 is silence, as the interface has it; 1.0 is the most the device
    // takes (the service's 1000), so more is that.
    volume = std::clamp(volume, 0.0, 1.0);
    // The window's own volume, in its steps of a per cent: held for the next
    // file when none is open, and shown as the keys show it.
    parts_.choices.SetVolume(static_cast<int>(std::lround(volume * 100.0)));
    watch_.Refresh();
    return {};
}

QString MediaCommands::SetLoopStatus(const QString& loop) {
    if (loop == QLatin1String("Track")) {
        parts_.form.Check->setChecked(true);
    } else if (loop == QLatin1String("None")) {
        parts_.form.Check->setChecked(false);
    } else {
        return QStringLiteral("the player repeats one track (\"Track\") or nothing (\"None\")");
    }
    watch_.Refresh();
    return {};
}

QString MediaCommands::SetRate(double rate) {
    if (!std::isfinite(rate) || rate < 0.0 || rate > 1.0 ||
        (rate > 0.0 && rate < kSlowMotionPercent / 100.0)) {
        return QStringLiteral("the rate is 0.4 (slow motion) or 1.0");
    }
    if (rate == 0.0) {
        Pause();
        return {};
    }
    watch_.Refresh();
    if (!watch_.current().open) return QStringLiteral("no file is open");
    const bool wantSlow = rate < 0.7;
    // The Slow Motion button flips by its flag, which a newly opened file
    // leaves set at normal speed; a second press then gives the speed wanted.
    for (int press = 0; press < 2; ++press) {
        const bool slow = watch_.current().rate < 0.7;
        if (slow == wantSlow) break;
        parts_.playback.ToggleSlowMotion();
        watch_.Refresh();
    }
    return {};
}

void MediaCommands::Raise() {
    ui::Form1& form = parts_.form;
    if (form.isMinimized()) form.showNormal();
    form.show();
    form.raise();
    form.activateWindow();
}

void MediaCommands::Quit() {
    // Queued: the caller's answer goes out before the window and the program
    // go away.
    player::PlaybackControl* playback = &parts_.playback;
    // The queued call owns its copy of the function; the analyzer cannot see
    // the event queue free it.
    QMetaObject::invokeMethod(  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
        &parts_.form, [playback] { playback->asxToolbar3_Click(1, QStringLiteral("close")); },
        Qt::QueuedConnection);
}

}  // namespace kelto::desktop
