#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace kelto::ui {

// Moves a top-level window with the pointer until the left button comes up.
// Used where the window manager offers no interactive move of its own (or
// there is no window manager at all); it deletes itself when done.
class PointerDrag : public QObject {
    Q_OBJECT
public:
    // Starts only while the left button is held; returns nullptr otherwise.
    // `pressedAt` is where the press was, on the screen.
    static PointerDrag* Start(QWidget* window, QPoint pressedAt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PointerDrag(QWidget* window, const QPoint& grabOffset);
    void end();

    QPointer<QWidget> window_;
    QPoint grabOffset_;
};

}  // namespace kelto::ui
