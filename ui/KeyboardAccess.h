#pragma once

namespace kelto::ui {

class Form1;

// Every action of the normal window within reach of the keyboard: Tab goes
// through the shown controls top to bottom with the close bar last; Space and
// Return press the focused button or tick Auto Replay; Return on a playlist
// entry plays it as a double-click does and Delete removes it as Remove does;
// the slider's own keys seek. Once a key is used, a green mark stands round
// the control that has the focus, until the next mouse press, so the window
// looks as before for a mouse user. The key box stays out of the Tab order;
// full screen gives it the focus itself. Call once, after the controls exist.
void EnableKeyboardAccess(Form1& form);

}  // namespace kelto::ui
