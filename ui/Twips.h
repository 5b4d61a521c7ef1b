#pragma once

class QWidget;

namespace kelto::ui {

// The window is designed in twips; the screen counts 15 of them to a pixel.
// Fixed at 15 whatever the screen's DPI, so the window keeps its 460 x 550 pixel design.
inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel (a tie cannot occur: 15 is odd).
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

int LeftTwips(const QWidget* widget);
int TopTwips(const QWidget* widget);
int WidthTwips(const QWidget* widget);
int HeightTwips(const QWidget* widget);
void setLeftTwips(QWidget* widget, int twips);
void setTopTwips(QWidget* widget, int twips);
void setWidthTwips(QWidget* widget, int twips);
void setHeightTwips(QWidget* widget, int twips);
// Places a widget from a design rectangle given as left, top, width, height.
void setGeometryTwips(QWidget* widget, int left, int top, int width, int height);

}  // namespace kelto::ui
