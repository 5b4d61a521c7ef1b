#pragma once

namespace kelto::player {

// Told of the moments in a file's life that the player's memory depends on.
// Every call comes on the window's thread, inside the operation that causes it.
class PlaybackListener {
public:
    virtual ~PlaybackListener() = default;
    // The open file is about to be closed: its position can still be asked.
    virtual void Leaving() = 0;
    // The open file is about to stop where it stands, staying open.
    virtual void Stopping() = 0;
    // The selected entry has opened and plays from its beginning.
    virtual void Started() = 0;
    // Another playback choice of the user's: pause, resume, slow motion, a seek.
    virtual void Chose() = 0;
};

}  // namespace kelto::player
