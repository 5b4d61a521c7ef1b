#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>

namespace kelto::ui {

// Keeps a top-level window from painting while other windows cover it
// wholly. The window system says so (X11 visibility notifications); the
// window's updates are switched off then, and back on, with one repaint of
// everything, as soon as any of it shows again, so that labels, meter and
// title appear as they are by then. Timers and state go on as ever. Where the
// window system is not X11 it does nothing. Becomes a child of the window.
class CoveredWindow : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // The window must have been shown.
    explicit CoveredWindow(QWidget* window);
    ~CoveredWindow() override;

    bool covered() const { return covered_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void coveredChanged(bool covered);

private:
    QPointer<QWidget> window_;
    std::uint32_t windowId_ = 0;
    bool covered_ = false;
};

}  // namespace kelto::ui
