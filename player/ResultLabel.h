#pragma once

#include "ui/Form1.h"

namespace kelto::player {

// Shows the player state's lastResult in LbResult after the fixed words
// "Result calling Function is : ". An error result is cut at its first NUL.
void ShowLastResult(ui::Form1& form);

}  // namespace kelto::player
