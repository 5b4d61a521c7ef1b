#include "ui/WindowIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace kelto::ui {

namespace {

void DrawCone(QPainter& painter, const QPointF& centre, double radius) {
    painter.setPen(QPen(QColor(20, 20, 20), 1));
    painter.setBrush(QColor(70, 70, 70));
    painter.drawEllipse(centre, radius, radius);
    QRadialGradient cone(centre, radius * 0.8);
    cone.setColorAt(0.0, QColor(150, 150, 150));
    cone.setColorAt(0.6, QColor(60, 60, 60));
    cone.setColorAt(1.0, QColor(25, 25, 25));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cone);
    painter.drawEllipse(centre, radius * 0.8, radius * 0.8);
    painter.setBrush(QColor(200, 200, 200));
    painter.drawEllipse(centre, radius * 0.2, radius * 0.2);
}

}  // namespace

QPixmap LoudspeakerPicture() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // Wooden cabinet.
    QLinearGradient wood(0, 0, 32, 0);
    wood.setColorAt(0.0, QColor(110, 62, 28));
    wood.setColorAt(0.5, QColor(160, 98, 48));
    wood.setColorAt(1.0, QColor(96, 52, 22));
    painter.setPen(QPen(QColor(50, 25, 10), 1));
    painter.setBrush(wood);
    painter.drawRoundedRect(QRectF(5.5, 0.5, 21, 31), 2, 2);
    // Tweeter above, woofer below.
    DrawCone(painter, QPointF(16, 8), 4.5);
    DrawCone(painter, QPointF(16, 21), 8.5);
    return picture;
}

QIcon LoudspeakerIcon() { return QIcon(LoudspeakerPicture()); }

}  // namespace kelto::ui
