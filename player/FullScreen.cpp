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
    // The other controls stand above the video area; full screen must show
    // the picture, not the playlist and buttons over it. txtfull keeps the
    // keyboard focus while covered.
    f.Picture1->raise();
    try {
        // Width and height 0: the command layer measures the enlarged Picture1.
        f.state.lastResult =
            mm_.PutVideoWindow(f.Picture1Handle(), f.state.deviceAlias, 0, 0, 0, 0);
    } catch (const mci::ArithmeticOverflow&) {
        // A window rectangle beyond 32 bits cannot be placed; nothing was sent.
    }
    f.txtfull->setFocus(Qt::OtherFocusReason);
}

}  // namespace kelto::player
