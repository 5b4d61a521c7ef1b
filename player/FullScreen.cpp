#include "player/PlaybackControl.h"
#include "ui/Twips.h"

namespace kelto::player {

void PlaybackControl::EnterFullScreen() {
    ui::Form1& f = form_;
    f.setMaximised(true);
    ui::setTopTwips(f.Picture1, 0);
    ui::setLeftTwips(f.Picture1, 0);
    // Read after maximising: the window's size is now the whole screen's.
    ui::setHeightTwips(f.Picture1, ui::HeightTwips(&f));
    ui::setWidthTwips(f.Picture1, ui::WidthTwips(&f));
    // Full screen shows the picture, not the playlist and buttons over it.
    // txtfull keeps the keyboard focus while covered.
    f.setVideoAreaOnTop(true);
    PutVideoOverArea();
    f.txtfull->setFocus(Qt::OtherFocusReason);
}

}  // namespace kelto::player
