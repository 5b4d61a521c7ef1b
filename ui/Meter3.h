#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>

#include "platform/widgets/PropertyBag.h"

namespace kelto::ui {

// A bar of 50 segments that lights the first Value of them. Its outer size is
// fixed at 3255 x 525 twips whatever the host asks for.
class Meter3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSegmentCount = 50;
    static constexpr std::int16_t kMinValue = 0;
    static constexpr std::int16_t kMaxValue = 50;
    static constexpr std::int16_t kDefaultValue = 0;
    static constexpr std::int16_t kDefaultBorder = 1;
    static constexpr int kWidthTwips = 3255;
    static constexpr int kHeightTwips = 525;
    static constexpr int kSegmentTopTwips = 120;
    static constexpr int kFirstSegmentLeftTwips = 120;
    static constexpr int kSegmentWidthTwips = 80;
    static constexpr int kSegmentHeightTwips = 300;
    static constexpr int kSegmentOverlapTwips = 20;

    static QColor LitColour() { return {0, 255, 0}; }
    static QColor DarkColour() { return {0, 128, 0}; }

    explicit Meter3(QWidget* parent = nullptr);

    std::int16_t Value() const { return value_; }
    // Throws InvalidPropertyValue outside 0..50; nothing changes then.
    void setValue(std::int16_t value);
    std::int16_t Border() const { return border_; }
    // Throws InvalidPropertyValue for anything but 0 (none) or 1 (single line).
    void setBorder(std::int16_t border);

    bool segmentLit(int index) const;
    // Design rectangle of a segment in twips, from the control's top left.
    QRect segmentTwips(int index) const;

    void ReadProperties(const platform::PropertyBag& bag);
    void WriteProperties(platform::PropertyBag& bag) const;

signals:
    // The host's cue that a persisted property should be saved again.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The pixels a segment's fill and outline reach.
    QRect segmentPixels(int index) const;
    void SetLevelValue();
    void ShowLevel();

    std::int16_t value_ = kDefaultValue;
    std::int16_t currentLevel_ = 0;
    std::int16_t border_ = kDefaultBorder;
    std::array<int, kSegmentCount> segmentLeft_{};
    std::array<bool, kSegmentCount> lit_{};
};

}  // namespace kelto::ui
