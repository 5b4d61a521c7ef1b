#include "history/VolumeMemory.h"

#include <algorithm>

namespace kelto::history {

VolumeMemory::VolumeMemory(ui::Form1& form, mci::ModuleMultimedia& mm, History& history)
    : form_(form), mm_(mm), history_(history) {
    history_.RecallPlayer(&answers_, [this](const PlayerMemory& memory) {
        // A choice made before the answer came is the newer one.
        if (chosen_ || !memory.volume) return;
        volume_ = std::clamp(*memory.volume, 0, 1000);
        muted_ = memory.muted.value_or(false);
        // A file given on the command line may have started already.
        if (!form_.state.deviceAlias.empty() && !mm_.GetMode(form_.state.deviceAlias).empty()) {
            Apply();
        }
    });
}

void VolumeMemory::Apply() {
    if (!volume_) return;
    mm_.SetVolume(form_.state.deviceAlias, muted_ ? 0 : *volume_);
}

void VolumeMemory::Started() { Apply(); }

void VolumeMemory::Chosen(std::int32_t thousandths) {
    chosen_ = true;
    const std::int32_t volume = std::clamp(thousandths, 0, 1000);
    if (volume_ == volume) return;
    volume_ = volume;
    history_.RememberPlayer({volume, muted_});
}

}  // namespace kelto::history
