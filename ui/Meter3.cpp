#include "ui/Meter3.h"

#include <QPaintEvent>
#include <QPainter>
#include <string>

#include "ui/InvalidPropertyValue.h"
#include "ui/Twips.h"

namespace kelto::ui {

Meter3::Meter3(QWidget* parent) : QWidget(parent) {
    // Each segment starts where its left neighbour ends, less the overlap, so
    // that adjacent outlines merge into one thin divider.
    segmentLeft_.fill(kFirstSegmentLeftTwips);
    for (int i = 1; i < kSegmentCount; ++i) {
        segmentLeft_[static_cast<std::size_t>(i)] = segmentLeft_[static_cast<std::size_t>(i - 1)] +
                                                    kSegmentWidthTwips - kSegmentOverlapTwips;
    }
    setFixedSize(TwipsToPixels(kWidthTwips), TwipsToPixels(kHeightTwips));
    setFocusPolicy(Qt::NoFocus);
    // The meter paints every pixel it owns, several times a second while a
    // file plays; the window beneath it need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Meter3::setValue(std::int16_t value) {
    if (value < kMinValue || value > kMaxValue) {
        throw InvalidPropertyValue("Meter3.Value must lie between 0 and 50, not " +
                                   std::to_string(value));
    }
    if (value != value_) {
        value_ = value;
        SetLevelValue();
        ShowLevel();
    }
    emit PropertyChanged(QStringLiteral("Value"));
}

void Meter3::setBorder(std::int16_t border) {
    if (border != 0 && border != 1) {
        throw InvalidPropertyValue("Meter3.Border must be 0 or 1, not " + std::to_string(border));
    }
    if (border != border_) {
        border_ = border;
        update();
    }
    emit PropertyChanged(QStringLiteral("Border"));
}

bool Meter3::segmentLit(int index) const {
    if (index < 0 || index >= kSegmentCount) return false;
    return lit_[static_cast<std::size_t>(index)];
}

QRect Meter3::segmentTwips(int index) const {
    if (index < 0 || index >= kSegmentCount) return {};
    return {segmentLeft_[static_cast<std::size_t>(index)], kSegmentTopTwips, kSegmentWidthTwips,
            kSegmentHeightTwips};
}

QRect Meter3::segmentPixels(int index) const {
    const QRect twips = segmentTwips(index);
    return {QPoint(twips.left() / kTwipsPerPixel - 1, twips.top() / kTwipsPerPixel - 1),
            QPoint(twips.right() / kTwipsPerPixel + 2, twips.bottom() / kTwipsPerPixel + 2)};
}

void Meter3::SetLevelValue() { currentLevel_ = value_; }

void Meter3::ShowLevel() {
    // Only the segments whose colour changes are repainted; their outlines
    // reach a pixel past the design rectangle on every side.
    QRect changed;
    for (int i = 0; i < kSegmentCount; ++i) {
        const bool lit = i < currentLevel_;
        if (lit_[static_cast<std::size_t>(i)] != lit) {
            changed |= segmentPixels(i);
        }
        lit_[static_cast<std::size_t>(i)] = lit;
    }
    if (!changed.isEmpty()) update(changed);
}

void Meter3::ReadProperties(const platform::PropertyBag& bag) {
    // A damaged store must not keep the window from coming up: entries out of
    // range are passed over and the control keeps what it has.
    const int stored = bag.ReadProperty(QStringLiteral("Value"), kDefaultValue);
    if (stored >= kMinValue && stored <= kMaxValue && stored != value_) {
        value_ = static_cast<std::int16_t>(stored);
        SetLevelValue();
        ShowLevel();
    }
    const int border = bag.ReadProperty(QStringLiteral("Border"), kDefaultBorder);
    if (border == 0 || border == 1) {
        border_ = static_cast<std::int16_t>(border);
        update();
    }
}

void Meter3::WriteProperties(platform::PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("Value"), value_, kDefaultValue);
    bag.WriteProperty(QStringLiteral("Border"), border_, kDefaultBorder);
}

void Meter3::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // A tick that lights one more segment repaints that one alone: the
    // others are neither filled nor outlined again.
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::black);
    // Segments are laid out in twips; scaling the painter keeps their overlap
    // exact instead of accumulating per-segment rounding.
    painter.save();
    painter.scale(1.0 / kTwipsPerPixel, 1.0 / kTwipsPerPixel);
    QPen outline(QColor(0, 0, 0));
    outline.setCosmetic(true);
    painter.setPen(outline);
    for (int i = 0; i < kSegmentCount; ++i) {
        if (!segmentPixels(i).intersects(exposed)) continue;
        painter.setBrush(segmentLit(i) ? LitColour() : DarkColour());
        painter.drawRect(segmentTwips(i));
    }
    painter.restore();
    if (border_ == 1) {
        painter.setPen(QColor(128, 128, 128));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace kelto::ui
