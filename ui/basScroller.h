#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

namespace kelto::ui {

class PictureBox;
class ScrollPass;

// Starts one pass of `text` across `surface` in `fontSize`-point Courier New
// of `textColour`, pausing `delay` hundredths of a second before each frame,
// the characters riding a wave `amplitude` character cells high. The surface
// keeps the character-cell unit, font and colour afterwards. The pass runs on
// the event loop and the call returns at once; while a pass is running on the
// surface a further call is ignored, so passes never overlap.
// Returns the pass, or nullptr when none was started.
ScrollPass* ScrollText(PictureBox* surface, const QString& text, std::int16_t fontSize,
                       double delay, double amplitude, const QColor& textColour);

// The pass currently running on `surface`, if any.
ScrollPass* RunningPass(const PictureBox* surface);

// Ends any pass on `surface` without drawing again.
void StopScrolling(PictureBox* surface);

}  // namespace kelto::ui
