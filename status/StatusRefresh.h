#pragma once

#include "mci/ModuleMultimedia.h"
#include "ui/Form1.h"

namespace kelto::status {

// The status display behind TimerMisc: each tick asks how far the file has
// played and shows it on Meter31, LbProgress and lbcurrentime ("1:32 / 3:05").
//
//   StatusRefresh refresh(form, mm);
//   connect(form.TimerMisc, &QTimer::timeout, [&] { refresh.TimerMisc_Timer(); });
//
// A tick whose arithmetic leaves the 32-bit range shows nothing and changes
// no state: the display keeps its last values.
class StatusRefresh {
public:
    StatusRefresh(ui::Form1& form, mci::ModuleMultimedia& mm);

    void TimerMisc_Timer();

private:
    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
};

}  // namespace kelto::status
