#pragma once

#include <QString>
#include <cstdint>

#include "desktop/PlaybackWatch.h"
#include "desktop/PlayerParts.h"

namespace kelto::desktop {

// The desktop's media controls mapped onto the player's own operations: each
// command presses the button, runs the key's or the end-of-media tick's
// operation, or moves the seek as the slider does, so the window shows what
// it would show after the user's own action. A command that does not fit the
// moment (nothing open, no such entry, a value out of range) changes nothing;
// the commands that a caller should hear about return why, the others return
// an empty text.
class MediaCommands {
public:
    MediaCommands(PlayerParts parts, PlaybackWatch& watch);

    // Resumes a paused file with the Pause button's toggle; otherwise plays
    // the selected entry as the Play button does. Nothing while playing.
    void Play();
    // The Pause button's toggle, while a file plays.
    void Pause();
    void PlayPause();
    // The Stop button, while a file is open.
    void Stop();
    // The entry after / before the selected one, played as the end of a file
    // plays the next entry.
    void Next();
    void Previous();

    // Moves by `offsetUs` from the current position, or to `positionUs` in the
    // current track. Returns the position reached, or -1 when nothing moved.
    std::int64_t SeekBy(std::int64_t offsetUs);
    std::int64_t SetPosition(const QString& trackId, std::int64_t positionUs);

    // Appends a local file, folder or playlist file (a file:// address) or a
    // web address (http://, https://) to the playlist and plays it.
    QString OpenUri(const QString& uri);

    QString SetVolume(double volume);
    // "Track" ticks Auto Replay, "None" clears it.
    QString SetLoopStatus(const QString& loop);
    // 0.4 and below is slow motion, nearer 1.0 is normal speed; 0 pauses.
    QString SetRate(double rate);

    void Raise();
    // Closes the window as the close bar does, once the caller has answered.
    void Quit();

    // The track id the desktop sees for the selected entry: a row alone would
    // name another file after a removal, so the path has a say in it.
    static QString TrackId(const PlaybackSnapshot& snapshot);

private:
    // Presses Pause until the device is in `wanted`, at most twice: the
    // button's flag can disagree with the device (a seek plays without
    // clearing it), and a second press then brings them back together.
    void ToggleUntil(PlaybackStatus wanted);
    std::int64_t SeekTo(std::int64_t positionUs);

    PlayerParts parts_;
    PlaybackWatch& watch_;
};

}  // namespace kelto::desktop
