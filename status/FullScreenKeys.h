#pragma once

#include "mci/ModuleMultimedia.h"
#include "player/PlaybackControl.h"
#include "ui/Form1.h"

namespace kelto::status {

// The keys of full-screen mode, read from txtfull, which holds the focus
// while the video fills the screen. Key codes are virtual-key numbers; the
// shift state is ignored.
//
//   Escape (27)  back to the window: Picture1 at left 1365, top 4095 twips,
//                sized to the video's picture size; focus to List1
//   F1 (112)     PlaySelectedFullScreen
//   F2 (113)     TogglePause
//   F3 (114)     stop, then back to the window as for Escape
//   F4 (115)     ToggleSlowMotion
//
//   FullScreenKeys keys(form, mm, playback);
//   connect(&form, &Form1::txtfullKeyDown, [&](int k, int s) { keys.txtfull_KeyDown(k, s); });
class FullScreenKeys {
public:
    FullScreenKeys(ui::Form1& form, mci::ModuleMultimedia& mm, player::PlaybackControl& playback);

    void txtfull_KeyDown(int keyCode, int shift);

private:
    void LeaveFullScreen();
    void StopAndLeaveFullScreen();
    void RestoreVideoArea();

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    player::PlaybackControl& playback_;
};

}  // namespace kelto::status
