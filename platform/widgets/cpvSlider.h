#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace kelto::platform {

// Horizontal slider drawn from two pictures of our own: a round light-blue
// thumb travelling along a blue rail. Change fires once per user gesture that
// left the value different (a drag on its release, a click, a key); setValue
// from the program is silent.
class cpvSlider : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThumbSize = 16;
    static constexpr int kRailWidth = 222;
    static constexpr int kRailHeight = 8;

    explicit cpvSlider(QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    // The program's own move of the thumb (to follow playback): silent, and
    // left out while the user holds the thumb, who must not have it taken away.
    void follow(int value);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setRange(int min, int max);

    QColor backcolor() const { return backColor_; }
    void setBackcolor(const QColor& colour);

    // The value a press at x (widget coordinates) would give.
    int valueAt(int x) const;
    // Left edge of the thumb for the current value.
    int thumbLeft() const;

    static QPixmap ThumbPicture();
    static QPixmap RailPicture();

    QSize sizeHint() const override;

signals:
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int clamp(int value) const;
    void userSet(int value);

    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    QColor backColor_{0, 0, 0};
    bool dragging_ = false;
    int dragGrabOffset_ = 0;
    int valueAtPress_ = 0;
};

}  // namespace kelto::platform
