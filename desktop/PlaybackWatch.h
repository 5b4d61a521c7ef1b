#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

#include "desktop/PlayerParts.h"

namespace kelto::desktop {

enum class PlaybackStatus { Stopped, Playing, Paused };

// What the desktop is told about the player at one moment.
struct PlaybackSnapshot {
    PlaybackStatus status = PlaybackStatus::Stopped;
    // A device is open under the player's alias (the service answers for it).
    bool open = false;
    // The open device shows a picture; false for sound files.
    bool video = false;
    // The selected playlist entry, which the title strip shows and from which
    // Play, Next and Previous go; -1 and empty texts when none is selected.
    int row = -1;
    int count = 0;
    QString title;
    // From the playing file's tags (a station's song as its title); empty
    // when it has none, or the selection is another entry.
    QString tagTitle;
    QStringList artists;
    QString album;
    int trackNumber = 0;
    QString artUrl;
    QString path;
    // The path's bytes as the playlist holds them, which may not be UTF-8.
    QByteArray pathBytes;
    // Length of the open file in microseconds; 0 when unknown or none is open.
    std::int64_t lengthUs = 0;
    // Speed of the open device as a fraction of normal (1.0 when none is open).
    double rate = 1.0;
    double volume = 1.0;
    bool autoReplay = false;
    // The selected entry would not open or play: there is no track.
    bool failed = false;

    bool operator==(const PlaybackSnapshot&) const = default;
};

// Keeps a snapshot of the player for the desktop, taken afresh twice a second
// and whenever Refresh is called, and tells when it changed. It asks the media
// service only what the window does not show (mode, speed, volume; the length
// and picture size when the file or selection changed). Once the window has
// begun to close (its end-of-media timer is off) it asks nothing more and
// reports the player as stopped.
class PlaybackWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 500;

    explicit PlaybackWatch(PlayerParts parts, QObject* parent = nullptr);

    const PlaybackSnapshot& current() const { return current_; }
    // The position of the open file in microseconds, asked now; -1 when none
    // is open or the service does not know.
    std::int64_t PositionUs();

public slots:
    void Refresh();

signals:
    void changed(const kelto::desktop::PlaybackSnapshot& before,
                 const kelto::desktop::PlaybackSnapshot& now);

private:
    PlaybackSnapshot Take();

    PlayerParts parts_;
    PlaybackSnapshot current_;
    QTimer poll_;
};

}  // namespace kelto::desktop
