#pragma once

#include "mci/ModuleMultimedia.h"
#include "player/PlaybackControl.h"
#include "ui/Form1.h"

namespace kelto::status {

// The end-of-media poll behind TimerAtEndFile. When the open file stands at
// its end, the status and scrolling timers stop and then either the same
// entry plays again ("Auto Replay" ticked) or the entry after the selected
// one is selected and played. After the last entry nothing more plays; the
// playlist does not wrap.
//
//   EndOfMedia endOfMedia(form, mm, playback);
//   connect(form.TimerAtEndFile, &QTimer::timeout, [&] { endOfMedia.TimerAtEndFile_Timer(); });
//
// A tick whose length or position reply does not fit 32 bits does nothing.
class EndOfMedia {
public:
    EndOfMedia(ui::Form1& form, mci::ModuleMultimedia& mm, player::PlaybackControl& playback);

    void TimerAtEndFile_Timer();

    // The advance of a tick at the end of a file without "Auto Replay": the
    // entry after the selected one (the first when nothing is selected) is
    // selected and played. False, doing nothing, after the last entry.
    bool PlayNext();
    // The same step backwards: the entry before the selected one. False,
    // doing nothing, on the first entry or with nothing selected.
    bool PlayPrevious();

private:
    void SelectAndPlay(int row);

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    player::PlaybackControl& playback_;
};

}  // namespace kelto::status
