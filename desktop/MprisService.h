#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

#include "desktop/MediaCommands.h"
#include "desktop/PlaybackWatch.h"

namespace kelto::desktop {

class MprisObject;
class MprisPlayerAdaptor;

// The player on the desktop's media-player protocol (MPRIS 2): the media
// keys, the sound panel's player controls and tools like playerctl reach it
// under org.mpris.MediaPlayer2.kelto_player, or, when a player in another
// folder has that name, under the same name with ".instance<pid>" added.
// Every change of the snapshot goes out as PropertiesChanged.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kBusName = "org.mpris.MediaPlayer2.kelto_player";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    MprisService(QDBusConnection bus, MediaCommands& commands, PlaybackWatch& watch,
                 QObject* parent = nullptr);
    ~MprisService() override;

    // The bus name taken; empty when the bus refused both.
    const QString& busName() const { return busName_; }

    // Tells listeners the position jumped (the window's own seek).
    void AnnounceSeek();

private:
    void Announce(const PlaybackSnapshot& before, const PlaybackSnapshot& now);

    QDBusConnection bus_;
    PlaybackWatch& watch_;
    // Owns the adaptors.
    std::unique_ptr<MprisObject> root_;
    MprisPlayerAdaptor* player_ = nullptr;
    QString busName_;
};

}  // namespace kelto::desktop
