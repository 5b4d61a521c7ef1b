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
    std::int32_t target = 0;
    try {
        // Two seconds a step for every file, so a step is the same jump whatever the length.
        target = mci::RoundToInt32(2.0 * framesPerSecond * value);
    } catch (const mci::ArithmeticOverflow&) {
        return;
    }
    ui::PlayerState& s = form_.state;
    s.lastResult = mm_.SeekAndPlay(s.deviceAlias, target);
    ShowLastResult(form_);
}

void PlaybackControl::SpanSlider() {
    // The steps stay two seconds each, so the seek's arithmetic is unchanged;
    // only the last step moves, to the last one within the file. A length
    // the service does not know keeps the window's own range.
    platform::cpvSlider* slider = form_.cpvSlider1;
    const std::int32_t total = form_.state.totalSeconds;
    slider->setRange(kSliderMinimum, total > 0 ? total / kSecondsPerSliderStep : kSliderMaximum);
    slider->follow(0);
}

void PlaybackControl::asxToolbar3_Click(int index, const QString& /*key*/) {
    if (index == 1) form_.close();
}

}  // namespace kelto::player
