#pragma once

#include <QFont>
#include <QString>

namespace kelto::ui {

// Makes the window's faces available: the metric-compatible Tahoma and MS Sans
// Serif shipped with the system's font packages are loaded when present
// (Courier New is already mapped by fontconfig). Safe to call more than once;
// missing files are skipped and Qt's substitution takes over.
void RegisterWindowFonts();

// The window is laid out in fixed pixels at 96 dots per inch, so its fonts are
// sized in pixels too: a desktop set to another DPI must not overflow labels.
int PointsToPixels(double points);
QFont PixelFont(const QString& family, double points, bool bold = false);

}  // namespace kelto::ui
