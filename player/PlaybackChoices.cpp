#include "player/PlaybackChoices.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

#include "mci/CommandResult.h"
#include "player/ResultLabel.h"

namespace kelto::player {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// "fr", "fre", "fra" and "fr-CA" are all French to a viewer.
QString LanguageName(const std::string& code) {
    if (code.empty()) return {};
    QString base = Text(code).section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    const QLocale::Language language = QLocale::codeToLanguage(base);
    if (language == QLocale::AnyLanguage || language == QLocale::C) return Text(code);
    return QLocale::languageToString(language);
}

QString ChannelsName(int channels) {
    switch (channels) {
        case 0:
            return {};
        case 1:
            return QStringLiteral("mono");
        case 2:
            return QStringLiteral("stereo");
        case 6:
            return QStringLiteral("5.1");
        case 8:
            return QStringLiteral("7.1");
        default:
            return QStringLiteral("%1 channels").arg(channels);
    }
}

}  // namespace

PlaybackChoices::PlaybackChoices(ui::Form1& form, mci::ModuleMultimedia& mm,
                                 platform::MediaTracks* tracks, ui::PictureNote& note)
    : form_(form), mm_(mm), tracks_(tracks), note_(note) {}

bool PlaybackChoices::FileOpen() const {
    return !form_.state.deviceAlias.empty() && !mm_.GetMode(form_.state.deviceAlias).empty();
}

void PlaybackChoices::Tell(const QString& text) { note_.Show(text); }

void PlaybackChoices::SendVolume() {
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SetVolume(s.deviceAlias, volume_ * 10);
    ShowLastResult(form_);
}

void PlaybackChoices::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, kMaxVolume);
    const bool wasMuted = muted_;
    muted_ = false;
    if (FileOpen()) {
        SendVolume();
        if (wasMuted) mm_.SetAudioOn(form_.state.deviceAlias, true);
    }
    Tell(QStringLiteral("Volume %1 %").arg(volume_));
}

void PlaybackChoices::StepVolume(int steps) {
    // From what plays: another piece (the history) may have set it.
    if (FileOpen()) {
        const std::int32_t playing = mm_.GetVolume(form_.state.deviceAlias);
        if (playing >= 0) volume_ = (playing + 5) / 10;
    }
    SetVolume(volume_ + steps * kVolumeStep);
}

void PlaybackChoices::SetMuted(bool muted) {
    muted_ = muted;
    if (FileOpen()) {
        ui::PlayerState& s = form_.state;
        s.lastResult = mm_.SetAudioOn(s.deviceAlias, !muted_);
        ShowLastResult(form_);
    }
    Tell(muted_ ? QStringLiteral("Muted") : QStringLiteral("Volume %1 %").arg(volume_));
}

void PlaybackChoices::Restore(int percent, bool muted) {
    volume_ = std::clamp(percent, 0, kMaxVolume);
    muted_ = muted;
    if (!FileOpen()) return;
    mm_.SetVolume(form_.state.deviceAlias, volume_ * 10);
    mm_.SetAudioOn(form_.state.deviceAlias, !muted_);
}

void PlaybackChoices::FileOpened() {
    const std::string& alias = form_.state.deviceAlias;
    // The service opens every file at full volume and heard.
    if (volume_ != kMaxVolume) mm_.SetVolume(alias, volume_ * 10);
    if (muted_) mm_.SetAudioOn(alias, false);
}

QString PlaybackChoices::TrackName(const platform::TrackInfo& track, bool withCoding) {
    QString name = LanguageName(track.language);
    const QString title = Text(track.title);
    if (!title.isEmpty() && title.compare(name, Qt::CaseInsensitive) != 0) {
        name = name.isEmpty() ? title : name + QStringLiteral(" – ") + title;
    }
    if (withCoding) {
        QStringList parts;
        if (!track.codec.empty()) parts << Text(track.codec);
        if (const QString channels = ChannelsName(track.channels); !channels.isEmpty()) {
            parts << channels;
        }
        const QString coding = parts.join(QLatin1Char(' '));
        if (!coding.isEmpty()) {
            name =
                name.isEmpty() ? coding : name + QStringLiteral(" (") + coding + QLatin1Char(')');
        }
    }
    return name;
}

int PlaybackChoices::AudioTrack() {
    if (!FileOpen()) return 0;
    return std::max(mm_.GetAudioStream(form_.state.deviceAlias), 0);
}

int PlaybackChoices::AudioTrackCount() {
    if (tracks_ == nullptr || !FileOpen()) return 0;
    return static_cast<int>(tracks_->AudioTracks(form_.state.deviceAlias).size());
}

bool PlaybackChoices::ChooseAudioTrack(int number) {
    if (tracks_ == nullptr || !FileOpen()) return false;
    const std::vector<platform::TrackInfo> audio = tracks_->AudioTracks(form_.state.deviceAlias);
    if (number < 1 || number > static_cast<int>(audio.size())) return false;
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SetAudioStream(s.deviceAlias, number);
    ShowLastResult(form_);
    if (!mci::IsSuccess(s.lastResult)) return false;
    const QString name = TrackName(audio[static_cast<std::size_t>(number - 1)], true);
    Tell(QStringLiteral("Audio %1/%2").arg(number).arg(audio.size()) +
         (name.isEmpty() ? QString() : QStringLiteral(": ") + name));
    return true;
}

void PlaybackChoices::StepAudioTrack() {
    const int count = AudioTrackCount();
    if (count == 0) {
        Tell(QStringLiteral("No sound track"));
        return;
    }
    ChooseAudioTrack(AudioTrack() % count + 1);
}

int PlaybackChoices::Subtitle() {
    if (tracks_ == nullptr || !FileOpen()) return 0;
    return tracks_->ShownSubtitle(form_.state.deviceAlias);
}

int PlaybackChoices::SubtitleCount() {
    if (tracks_ == nullptr || !FileOpen()) return 0;
    return static_cast<int>(tracks_->Subtitles(form_.state.deviceAlias).size());
}

bool PlaybackChoices::ChooseSubtitle(int number) {
    if (tracks_ == nullptr || !FileOpen()) return false;
    const std::vector<platform::TrackInfo> texts = tracks_->Subtitles(form_.state.deviceAlias);
    if (number < 0 || number > static_cast<int>(texts.size()) ||
        !tracks_->ShowSubtitle(form_.state.deviceAlias, number)) {
        return false;
    }
    if (number == 0) {
        Tell(QStringLiteral("Subtitles off"));
        return true;
    }
    const QString name = TrackName(texts[static_cast<std::size_t>(number - 1)], false);
    Tell(QStringLiteral("Subtitles %1/%2").arg(number).arg(texts.size()) +
         (name.isEmpty() ? QString() : QStringLiteral(": ") + name));
    return true;
}

void PlaybackChoices::StepSubtitle() {
    const int count = SubtitleCount();
    if (count == 0) {
        Tell(QStringLiteral("No subtitles"));
        return;
    }
    const int shown = Subtitle();
    ChooseSubtitle(shown >= count ? 0 : shown + 1);
}

bool PlaybackChoices::AddSubtitleFile(const QString& path) {
    if (tracks_ == nullptr || !FileOpen()) return false;
    if (!tracks_->AddSubtitleFile(form_.state.deviceAlias, QFile::encodeName(path).toStdString())) {
        Tell(QStringLiteral("No subtitles in %1").arg(QFileInfo(path).fileName()));
        return false;
    }
    const int count = SubtitleCount();
    const int shown = Subtitle();
    return shown > 0 && shown <= count && ChooseSubtitle(shown);
}

}  // namespace kelto::player
