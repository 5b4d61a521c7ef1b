#pragma once

#include <QString>

namespace kelto::ui {

class Form1;

// What a screen reader finds in the window: each shown control with its role,
// a name without the captions' padding, and its value where it has one. The
// controls the layout hides are left out, and the key box is there only in
// full screen, where it holds the keys. Changes are announced at most about
// once a second per control while a reader listens, so the five status
// refreshes a second do not flood it. Call once per window, after its
// controls exist.
void EnableAccessibility(Form1& form);

// "0:12 of 0:30": where the seek slider stands, against the open file's
// length (the length alone is left out while none is known).
QString SliderPositionText(const Form1& form);

}  // namespace kelto::ui
