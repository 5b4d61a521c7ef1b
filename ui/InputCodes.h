#pragma once

#include <Qt>

namespace kelto::ui {

// The window's handlers speak the classic desktop numbering: mouse buttons
// 1 left, 2 right, 4 middle; shift state bits 1 Shift, 2 Ctrl, 4 Alt; keys by
// virtual-key code (Escape 27, F1 112 ...).
int MouseButtonCode(Qt::MouseButton button);
int ShiftCode(Qt::KeyboardModifiers modifiers);
// 0 for a key that has no code in that numbering.
int VirtualKeyCode(int qtKey);

}  // namespace kelto::ui
