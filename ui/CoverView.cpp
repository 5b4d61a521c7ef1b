#include "ui/CoverView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "ui/WindowFonts.h"

namespace kelto::ui {

namespace {

const QColor kCaptionGreen(0, 255, 0);
const QColor kAreaBlack(0, 0, 0);
constexpr int kMargin = 4;

}  // namespace

CoverView::CoverView(QWidget* area) : QWidget(area) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(PixelFont(QStringLiteral("Tahoma"), 8.25, true));
    setGeometry(area->rect());
    area->installEventFilter(this);
    hide();
}

void CoverView::Show(const QImage& cover, const QString& caption) {
    cover_ = cover;
    caption_ = caption;
    setGeometry(parentWidget()->rect());
    show();
    update();
}

void CoverView::Clear() {
    cover_ = QImage();
    caption_.clear();
    hide();
}

bool CoverView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void CoverView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kAreaBlack);
    const QFontMetrics metrics(font());
    const int captionHeight = caption_.isEmpty() ? 0 : metrics.height() + kMargin;
    const QRect room = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin - captionHeight);
    QRect picture;
    if (!cover_.isNull() && room.width() > 0 && room.height() > 0) {
        const QSize fitted = cover_.size().scaled(room.size(), Qt::KeepAspectRatio);
        picture = QRect(QPoint(room.x() + (room.width() - fitted.width()) / 2,
                               room.y() + (room.height() - fitted.height()) / 2),
                        fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(picture, cover_);
    }
    if (!caption_.isEmpty()) {
        // Right under the picture, or in the middle of the area without one.
        const int top =
            picture.isValid() ? picture.bottom() + 1 + kMargin : (height() - metrics.height()) / 2;
        const QRect line(kMargin, top, width() - 2 * kMargin, metrics.height());
        painter.setPen(kCaptionGreen);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                         metrics.elidedText(caption_, Qt::ElideRight, line.width()));
    }
}

}  // namespace kelto::ui
