#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>

class QWidget;

namespace kelto::ui {

// A ring drawn just outside the Tab stop that has the keyboard focus, shown
// from the first key pressed in the window until the next mouse press. The
// ring is four thin bars, not one widget over the control: nothing covers the
// control itself (the title strip copies its frames only where no sibling
// lies over it), and the bars stay clear of the video area's own window.
class FocusMark : public QObject {
    Q_OBJECT
public:
    static constexpr int kThickness = 2;

    FocusMark(QWidget* window, const QColor& colour);

    bool shown() const;
    // Where the ring stands, in the window's coordinates (empty when hidden).
    QRect ring() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QWidget* window_;
    bool keyboardUsed_ = false;
    QTimer afterKey_;
    QPointer<QWidget> target_;
    std::array<QWidget*, 4> bars_{};
};

}  // namespace kelto::ui
