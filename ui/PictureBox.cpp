#include "ui/PictureBox.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <limits>
#include <utility>

#include "ui/InputCodes.h"
#include "ui/Twips.h"
#include "ui/WindowFonts.h"

namespace kelto::ui {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    drawFont_ = PixelFont(font().family(), fontPoints_);
    // Every paint covers the whole box, so what lies beneath need not be
    // painted first; a marquee repaints the box many times a second.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(const QColor& colour) {
    backColor_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
    update();
}

void PictureBox::setBorder(bool on) {
    border_ = on;
    update();
}

void PictureBox::setVideoSurface() { setAttribute(Qt::WA_NativeWindow); }

QRect PictureBox::drawingArea() const {
    const int edge = border_ ? kBorderPixels : 0;
    return rect().adjusted(edge, edge, -edge, -edge);
}

// Twips and pixels are the same size both ways; only a character cell is
// wider than it is tall.
double PictureBox::unitPx(double characterCellPx) const {
    switch (scaleMode_) {
        case ScaleMode::Twips:
            return 1.0 / kTwipsPerPixel;
        case ScaleMode::Pixels:
            return 1.0;
        case ScaleMode::Characters:
            return characterCellPx;
    }
    return 1.0;
}

double PictureBox::unitWidthPx() const { return unitPx(kCharacterCellWidthPx); }

double PictureBox::unitHeightPx() const { return unitPx(kCharacterCellHeightPx); }

double PictureBox::scaleWidth() const { return drawingArea().width() / unitWidthPx(); }
double PictureBox::scaleHeight() const { return drawingArea().height() / unitHeightPx(); }

void PictureBox::setFontName(const QString& family) {
    drawFont_ = PixelFont(family, fontPoints_, drawFont_.bold());
}

void PictureBox::setFontSize(double points) {
    if (points <= 0) return;
    fontPoints_ = points;
    drawFont_.setPixelSize(PointsToPixels(points));
}

void PictureBox::setFontBold(bool on) { drawFont_.setBold(on); }
void PictureBox::setFontItalic(bool on) { drawFont_.setItalic(on); }
void PictureBox::setFontUnderline(bool on) { drawFont_.setUnderline(on); }

void PictureBox::cls() {
    drawn_.clear();
    currentX_ = 0;
    currentY_ = 0;
    update(drawingArea());
}

void PictureBox::print(const QString& text) {
    const QRect area = drawingArea();
    const QPointF topLeft(area.left() + currentX_ * unitWidthPx(),
                          area.top() + currentY_ * unitHeightPx());
    drawn_.push_back({topLeft, text, foreColor_, drawFont_});
    // A pass prints thousands of characters while its frames are made; each
    // text is measured once per font, not shaped again for every print.
    currentX_ += laidOut(drawFont_, text).advance / unitWidthPx();
    update(area);
}

void PictureBox::PaintSunkenEdge(QPainter& painter, const QRect& outer) {
    // Dark outside lines top and left, light ones bottom and right.
    const QRect r = outer.adjusted(0, 0, -1, -1);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    const QRect inner = r.adjusted(1, 1, -1, -1);
    painter.setPen(QColor(64, 64, 64));
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(QColor(212, 208, 200));
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());
}

void PictureBox::restore(Printed printed) {
    drawn_ = std::move(printed.drawn);
    currentX_ = printed.currentX;
    currentY_ = printed.currentY;
    update(drawingArea());
}

QImage PictureBox::drawingAreaImage() {
    const qreal ratio = devicePixelRatioF();
    const QRect area = drawingArea();
    QImage image((QSizeF(area.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    paintContent(painter);
    return image;
}

// A marquee prints the same few characters dozens of times a second: each
// is shaped once per font, as the one line QStaticText would lay out.
const PictureBox::LaidOut& PictureBox::laidOut(const QFont& font, const QString& text) {
    if (font != laidFont_ || laid_.size() > 512) {
        laid_.clear();
        laidFont_ = font;
    }
    auto found = laid_.find(text);
    if (found == laid_.end()) {
        QTextLayout layout(text, font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setLeadingIncluded(true);
            // The widest line a layout takes (its fixed-point limit):
            // QStaticText's when given no width.
            constexpr int kUnboundedWidth = std::numeric_limits<int>::max() / 256;
            line.setLineWidth(kUnboundedWidth);
            line.setPosition(QPointF(0.0, 0.0));
        }
        layout.endLayout();
        found =
            laid_.insert(text, {layout.glyphRuns(), QFontMetricsF(font).horizontalAdvance(text)});
    }
    return *found;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintContent(painter);
}

void PictureBox::paintContent(QPainter& painter) {
    painter.fillRect(rect(), backColor_);
    if (border_) {
        PaintSunkenEdge(painter, rect());
    }
    painter.setClipRect(drawingArea());
    for (const DrawnText& item : drawn_) {
        painter.setPen(item.colour);
        for (const QGlyphRun& run : laidOut(item.font, item.text).runs) {
            painter.drawGlyphRun(item.topLeft, run);
        }
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseDown(MouseButtonCode(event->button()), ShiftCode(event->modifiers()), at.x(), at.y());
    event->accept();
}

}  // namespace kelto::ui
