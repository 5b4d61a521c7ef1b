#pragma once

#include "mci/ModuleMultimedia.h"
#include "playlist/PlaylistFiles.h"
#include "ui/Form1.h"

namespace kelto::playlist {

// The window's start-up and shut-down: the playlist comes from its two files
// before the window is first shown, and goes back to them when it closes,
// after the timers are stopped and the media closed.
class WindowLifecycle {
public:
    WindowLifecycle(ui::Form1& form, mci::ModuleMultimedia& media, PlaylistFiles files);

    // Fills List1 and List2 from the files, paired so that both lists have
    // the same length; missing files give an empty playlist. Nothing is
    // selected afterwards. When the files had to be repaired (see LoadTexts),
    // they are kept as found beside them and one line on standard error says
    // what was changed and where the copies are.
    void Form_Load();

    // Stops TimerMisc and TimerAtEndFile, lets the events already waiting run
    // once (without waiting for more), then closes all media. Neither timer
    // runs afterwards, even if one of those events switched it on. Never
    // refuses the close.
    void Form_QueryUnload();

    // Writes both files. A failed write leaves the previous files intact and
    // is said on standard error; the result says whether both were written.
    bool Form_Unload();

private:
    ui::Form1& form_;
    mci::ModuleMultimedia& media_;
    PlaylistFiles files_;
};

}  // namespace kelto::playlist
