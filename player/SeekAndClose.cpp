#include <cmath>

#include "mci/CheckedArithmetic.h"
#include "player/PlaybackControl.h"
#include "player/ResultLabel.h"

namespace kelto::player {

void PlaybackControl::cpvSlider1_Change() {
    // The label is empty before the first open; a frame rate that is not a
    // number gives no target to go to, so the change is ignored.
    bool isNumber = false;
    const double framesPerSecond = form_.LbFramesPerSecond->text().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(framesPerSecond)) return;
    const std::int32_t value = form_.cpvSlider1->value();
    // Two seconds a step for every file, so a step is the same jump whatever the length.
    const std::optional<std::int32_t> target = mci::RoundToInt32(2.0 * framesPerSecond * value);
    if (!target) return;
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SeekAndPlay(s.deviceAlias, *target);
    ShowLastResult(form_);
}

void PlaybackControl::asxToolbar3_Click(int index, const QString& /*key*/) {
    if (index == 1) form_.close();
}

}  // namespace kelto::player
