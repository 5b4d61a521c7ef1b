#include "ui/Twips.h"

#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kelto::ui {

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int PixelsToTwips(int pixels) {
    // Saturate rather than overflow for absurd sizes.
    const long long twips = static_cast<long long>(pixels) * kTwipsPerPixel;
    if (twips > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (twips < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(twips);
}

int LeftTwips(const QWidget* widget) { return PixelsToTwips(widget->x()); }
int TopTwips(const QWidget* widget) { return PixelsToTwips(widget->y()); }
int WidthTwips(const QWidget* widget) { return PixelsToTwips(widget->width()); }
int HeightTwips(const QWidget* widget) { return PixelsToTwips(widget->height()); }

void setLeftTwips(QWidget* widget, int twips) { widget->move(TwipsToPixels(twips), widget->y()); }
void setTopTwips(QWidget* widget, int twips) { widget->move(widget->x(), TwipsToPixels(twips)); }

void setWidthTwips(QWidget* widget, int twips) {
    widget->resize(std::max(0, TwipsToPixels(twips)), widget->height());
}

void setHeightTwips(QWidget* widget, int twips) {
    widget->resize(widget->width(), std::max(0, TwipsToPixels(twips)));
}

void setGeometryTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), std::max(0, TwipsToPixels(width)),
                        std::max(0, TwipsToPixels(height)));
}

}  // namespace kelto::ui
