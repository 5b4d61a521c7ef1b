#include "platform/widgets/ToolbarButton.h"

#include <QEnterEvent>
#include <QPainter>

namespace kelto::platform {

namespace {

// Bevel shades that stay visible on a black bar, where darker() of the back
// colour would vanish.
QColor LightEdge(const QColor& back) {
    return back.lightness() < 64 ? QColor(128, 128, 128) : back.lighter(160);
}
QColor DarkEdge(const QColor& back) {
    return back.lightness() < 64 ? QColor(48, 48, 48) : back.darker(180);
}

}  // namespace

ToolbarButton::ToolbarButton(const QString& caption, const QString& key, QWidget* parent)
    : QAbstractButton(parent), key_(key) {
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void ToolbarButton::setFlag(bool on) {
    if (flag_ == on) return;
    flag_ = on;
    update();
}

void ToolbarButton::setColours(const QColor& text, const QColor& back) {
    text_ = text;
    back_ = back;
    update();
}

QSize ToolbarButton::sizeHint() const {
    // Trailing blanks in a caption are meant to widen the button, so measure
    // the advance of the whole text rather than its ink.
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 12, metrics.height() + 8};
}

void ToolbarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const bool sunken = flag_ || isDown();

    QColor fill = back_;
    if (flag_) {
        // A dimmed tint of the text colour marks a set flag even on a black bar.
        fill = QColor((text_.red() + 3 * back_.red()) / 6, (text_.green() + 3 * back_.green()) / 6,
                      (text_.blue() + 3 * back_.blue()) / 6);
    }
    painter.fillRect(area, fill);

    const QColor topLeft = sunken ? DarkEdge(back_) : LightEdge(back_);
    const QColor bottomRight = sunken ? LightEdge(back_) : DarkEdge(back_);
    painter.setPen(topLeft);
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());

    QColor ink = isEnabled() ? text_ : text_.darker(200);
    if (hovered_ && !sunken) ink = ink.lighter(130);
    painter.setPen(ink);
    painter.setFont(font());
    QRect textArea = area.adjusted(2, 1, -2, -1);
    if (sunken) textArea.translate(1, 1);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine, text());
}

void ToolbarButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ToolbarButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace kelto::platform
