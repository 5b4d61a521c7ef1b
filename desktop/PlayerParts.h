#pragma once

#include "mci/ModuleMultimedia.h"
#include "player/NowPlaying.h"
#include "player/PlaybackControl.h"
#include "playlist/PlaylistEditor.h"
#include "status/EndOfMedia.h"
#include "ui/Form1.h"

namespace kelto::desktop {

// The pieces of the running player that the desktop's controls act through,
// so that a command from the desktop runs the very operation a button, key or
// tick runs. All must outlive whatever holds this.
struct PlayerParts {
    ui::Form1& form;
    mci::ModuleMultimedia& media;
    player::PlaybackControl& playback;
    status::EndOfMedia& endOfMedia;
    playlist::PlaylistEditor& editor;
    // The playing file's tags and cover; null where none are read.
    const player::NowPlaying* nowPlaying = nullptr;
};

}  // namespace kelto::desktop
