#include "desktop/MprisAdaptors.h"

#include <QDBusError>
#include <QUrl>

#include "ui/MediaKinds.h"

namespace kelto::desktop {

namespace {

constexpr double kMinimumRate = 0.4;
constexpr double kMaximumRate = 1.0;

QString StatusText(PlaybackStatus status) {
    switch (status) {
        case PlaybackStatus::Playing:
            return QStringLiteral("Playing");
        case PlaybackStatus::Paused:
            return QStringLiteral("Paused");
        case PlaybackStatus::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

// A name that is not UTF-8 goes out percent-encoded byte by byte, so the
// address names the file on disk rather than the text the list shows.
QString UrlOf(const PlaybackSnapshot& s) {
    if (s.path.toUtf8() == s.pathBytes || !s.pathBytes.startsWith('/')) {
        return QUrl::fromLocalFile(s.path).toString();
    }
    // Left encoded: decoding would turn those bytes into replacement characters.
    return QString::fromLatin1("file://" + s.pathBytes.toPercentEncoding("/"));
}

QVariantMap MetadataOf(const PlaybackSnapshot& s) {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(MediaCommands::TrackId(s))));
    if (s.row < 0 || s.failed) return metadata;
    if (s.open && s.lengthUs > 0) {
        metadata.insert(QStringLiteral("mpris:length"), qlonglong{s.lengthUs});
    }
    // The tags' title where the file has one; the entry's, as the window shows it, otherwise.
    metadata.insert(QStringLiteral("xesam:title"), s.tagTitle.isEmpty() ? s.title : s.tagTitle);
    metadata.insert(QStringLiteral("xesam:url"), UrlOf(s));
    if (!s.artists.isEmpty()) metadata.insert(QStringLiteral("xesam:artist"), s.artists);
    if (!s.album.isEmpty()) metadata.insert(QStringLiteral("xesam:album"), s.album);
    if (s.trackNumber > 0) metadata.insert(QStringLiteral("xesam:trackNumber"), s.trackNumber);
    if (!s.artUrl.isEmpty()) metadata.insert(QStringLiteral("mpris:artUrl"), s.artUrl);
    return metadata;
}

bool CanGoNext(const PlaybackSnapshot& s) { return s.count > 0 && s.row != s.count - 1; }
bool CanGoPrevious(const PlaybackSnapshot& s) { return s.row > 0; }
bool CanPlay(const PlaybackSnapshot& s) { return s.open || s.row >= 0; }
bool CanPause(const PlaybackSnapshot& s) { return s.status != PlaybackStatus::Stopped; }
bool CanSeek(const PlaybackSnapshot& s) { return s.open && s.lengthUs > 0; }

}  // namespace

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MediaCommands& commands)
    : QDBusAbstractAdaptor(object), commands_(commands) {}

QString MprisRootAdaptor::identity() const { return QStringLiteral("Kelto Player"); }

QString MprisRootAdaptor::desktopEntry() const { return QStringLiteral("kelto-player"); }

QStringList MprisRootAdaptor::supportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    QStringList types;
    for (const char* type : ui::kMediaMimeTypes) types.append(QString::fromLatin1(type));
    return types;
}

void MprisRootAdaptor::Raise() { commands_.Raise(); }

void MprisRootAdaptor::Quit() { commands_.Quit(); }

void MprisObject::Refuse(const QString& why) const {
    if (!why.isEmpty() && calledFromDBus()) sendErrorReply(QDBusError::InvalidArgs, why);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisObject* object, MediaCommands& commands,
                                       PlaybackWatch& watch)
    : QDBusAbstractAdaptor(object), object_(*object), commands_(commands), watch_(watch) {}

QVariantMap MprisPlayerAdaptor::PropertiesOf(const PlaybackSnapshot& s) {
    return {
        {QStringLiteral("PlaybackStatus"), StatusText(s.status)},
        {QStringLiteral("LoopStatus"),
         s.autoReplay ? QStringLiteral("Track") : QStringLiteral("None")},
        {QStringLiteral("Rate"), s.rate},
        {QStringLiteral("Metadata"), MetadataOf(s)},
        {QStringLiteral("Volume"), s.volume},
        {QStringLiteral("MinimumRate"), kMinimumRate},
        {QStringLiteral("MaximumRate"), kMaximumRate},
        {QStringLiteral("CanGoNext"), CanGoNext(s)},
        {QStringLiteral("CanGoPrevious"), CanGoPrevious(s)},
        {QStringLiteral("CanPlay"), CanPlay(s)},
        {QStringLiteral("CanPause"), CanPause(s)},
        {QStringLiteral("CanSeek"), CanSeek(s)},
        {QStringLiteral("CanControl"), true},
    };
}

QString MprisPlayerAdaptor::playbackStatus() const { return StatusText(watch_.current().status); }

QString MprisPlayerAdaptor::loopStatus() const {
    return watch_.current().autoReplay ? QStringLiteral("Track") : QStringLiteral("None");
}

void MprisPlayerAdaptor::setLoopStatus(const QString& loop) { commands_.SetLoopStatus(loop); }

double MprisPlayerAdaptor::rate() const { return watch_.current().rate; }

void MprisPlayerAdaptor::setRate(double rate) { commands_.SetRate(rate); }

QVariantMap MprisPlayerAdaptor::metadata() const { return MetadataOf(watch_.current()); }

double MprisPlayerAdaptor::volume() const { return watch_.current().volume; }

void MprisPlayerAdaptor::setVolume(double volume) { commands_.SetVolume(volume); }

qlonglong MprisPlayerAdaptor::position() const {
    const std::int64_t us = watch_.PositionUs();
    return us < 0 ? 0 : us;
}

double MprisPlayerAdaptor::minimumRate() const { return kMinimumRate; }

double MprisPlayerAdaptor::maximumRate() const { return kMaximumRate; }

bool MprisPlayerAdaptor::canGoNext() const { return CanGoNext(watch_.current()); }

bool MprisPlayerAdaptor::canGoPrevious() const { return CanGoPrevious(watch_.current()); }

bool MprisPlayerAdaptor::canPlay() const { return CanPlay(watch_.current()); }

bool MprisPlayerAdaptor::canPause() const { return CanPause(watch_.current()); }

bool MprisPlayerAdaptor::canSeek() const { return CanSeek(watch_.current()); }

void MprisPlayerAdaptor::Next() { commands_.Next(); }

void MprisPlayerAdaptor::Previous() { commands_.Previous(); }

void MprisPlayerAdaptor::Pause() { commands_.Pause(); }

void MprisPlayerAdaptor::PlayPause() { commands_.PlayPause(); }

void MprisPlayerAdaptor::Stop() { commands_.Stop(); }

void MprisPlayerAdaptor::Play() { commands_.Play(); }

void MprisPlayerAdaptor::Seek(qlonglong Offset) { SeekedTo(commands_.SeekBy(Offset)); }

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    SeekedTo(commands_.SetPosition(TrackId.path(), Position));
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri) { object_.Refuse(commands_.OpenUri(Uri)); }

void MprisPlayerAdaptor::SeekedTo(std::int64_t positionUs) {
    if (positionUs >= 0) emit Seeked(positionUs);
}

}  // namespace kelto::desktop
