#pragma once

#include <QObject>
#include <cstdint>
#include <optional>

#include "history/History.h"
#include "mci/ModuleMultimedia.h"
#include "ui/Form1.h"

namespace kelto::history {

// The player's volume, kept once for the player as a whole: each file that
// starts gets the volume last chosen, in this run or an earlier one, and a
// change is written when it is made.
//
//   VolumeMemory volume(form, mm, history);   // asks the history for the last volume
//   memory.setOnStarted([&] { volume.Started(); });
//   volume.Chosen(650);                      // the user set 65 %
class VolumeMemory {
public:
    VolumeMemory(ui::Form1& form, mci::ModuleMultimedia& mm, History& history);

    // A file has just started: it plays at the volume kept, if any.
    void Started();
    // The user chose `thousandths` (0 to 1000) for the open file.
    void Chosen(std::int32_t thousandths);
    // The volume kept; nullopt until one was chosen or recalled.
    std::optional<std::int32_t> volume() const { return volume_; }

private:
    void Apply();

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    History& history_;
    std::optional<std::int32_t> volume_;
    bool muted_ = false;
    bool chosen_ = false;
    QObject answers_;
};

}  // namespace kelto::history
