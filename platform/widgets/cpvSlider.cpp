#include "platform/widgets/cpvSlider.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace kelto::platform {

cpvSlider::cpvSlider(QWidget* parent) : QWidget(parent) {
    // Not a tab stop, but keys work once the user has clicked it.
    setFocusPolicy(Qt::ClickFocus);
}

int cpvSlider::clamp(int value) const { return std::clamp(value, minimum_, maximum_); }

void cpvSlider::setValue(int value) {
    const int next = clamp(value);
    if (next == value_) return;
    value_ = next;
    update();
}

void cpvSlider::follow(int value) {
    if (!dragging_) setValue(value);
}

void cpvSlider::setRange(int min, int max) {
    minimum_ = min;
    maximum_ = std::max(min, max);
    value_ = clamp(value_);
    update();
}

void cpvSlider::setBackcolor(const QColor& colour) {
    backColor_ = colour;
    update();
}

void cpvSlider::userSet(int value) { setValue(value); }

int cpvSlider::thumbLeft() const {
    const int travel = std::max(0, width() - kThumbSize);
    const int span = maximum_ - minimum_;
    if (span == 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(value_ - minimum_) * travel / span));
}

int cpvSlider::valueAt(int x) const {
    const int travel = width() - kThumbSize;
    if (travel <= 0) return minimum_;
    const double fraction = (x - kThumbSize / 2.0) / travel;
    return clamp(minimum_ + static_cast<int>(std::lround(fraction * (maximum_ - minimum_))));
}

QSize cpvSlider::sizeHint() const { return {kRailWidth + 4, kThumbSize}; }

QPixmap cpvSlider::ThumbPicture() {
    QPixmap picture(kThumbSize, kThumbSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient knob(QPointF(6, 5), 10);
    knob.setColorAt(0.0, QColor(235, 248, 255));
    knob.setColorAt(0.5, QColor(140, 200, 250));
    knob.setColorAt(1.0, QColor(70, 140, 220));
    painter.setBrush(knob);
    painter.setPen(QPen(QColor(20, 70, 150), 1));
    painter.drawEllipse(QRectF(0.5, 0.5, kThumbSize - 1, kThumbSize - 1));
    return picture;
}

QPixmap cpvSlider::RailPicture() {
    QPixmap picture(kRailWidth, kRailHeight);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 0, kRailHeight);
    shade.setColorAt(0.0, QColor(10, 40, 110));
    shade.setColorAt(0.45, QColor(60, 120, 220));
    shade.setColorAt(1.0, QColor(0, 30, 90));
    painter.fillRect(picture.rect(), shade);
    painter.setPen(QColor(0, 20, 70));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

void cpvSlider::paintEvent(QPaintEvent*) {
    // The pictures are drawn once; they never change.
    static const QPixmap rail = RailPicture();
    static const QPixmap thumb = ThumbPicture();
    QPainter painter(this);
    painter.fillRect(rect(), backColor_);
    const QRect railArea(2, (height() - kRailHeight) / 2, std::max(1, width() - 4), kRailHeight);
    painter.drawPixmap(railArea, rail);
    painter.drawPixmap(thumbLeft(), (height() - kThumbSize) / 2, thumb);
}

void cpvSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    valueAtPress_ = value_;
    dragging_ = true;
    const int x = static_cast<int>(event->position().x());
    const int left = thumbLeft();
    if (x >= left && x < left + kThumbSize) {
        // Grabbing the thumb keeps it under the pointer where it was taken.
        dragGrabOffset_ = x - left - kThumbSize / 2;
    } else {
        dragGrabOffset_ = 0;
        userSet(valueAt(x));
    }
    event->accept();
}

void cpvSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    userSet(valueAt(static_cast<int>(event->position().x()) - dragGrabOffset_));
}

void cpvSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    if (value_ != valueAtPress_) emit Change();
}

void cpvSlider::keyPressEvent(QKeyEvent* event) {
    // Wide arithmetic so that a step past either end of an extreme range clamps.
    long long next = 0;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            next = value_ - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            next = value_ + 1;
            break;
        case Qt::Key_PageDown:
            next = value_ - 10;
            break;
        case Qt::Key_PageUp:
            next = value_ + 10;
            break;
        case Qt::Key_Home:
            next = minimum_;
            break;
        case Qt::Key_End:
            next = maximum_;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    const int before = value_;
    userSet(static_cast<int>(std::clamp<long long>(next, minimum_, maximum_)));
    // Keys during a drag are folded into the drag's single notification.
    if (!dragging_ && value_ != before) emit Change();
}

}  // namespace kelto::platform
