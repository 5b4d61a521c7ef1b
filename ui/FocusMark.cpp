#include "ui/FocusMark.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QTimer>
#include <QWidget>

namespace kelto::ui {

FocusMark::FocusMark(QWidget* window, const QColor& colour) : QObject(window), window_(window) {
    for (QWidget*& bar : bars_) {
        bar = new QWidget(window);
        QPalette pal = bar->palette();
        pal.setColor(QPalette::Window, colour);
        bar->setPalette(pal);
        bar->setAutoFillBackground(true);
        bar->setAttribute(Qt::WA_TransparentForMouseEvents);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    afterKey_.setSingleShot(true);
    afterKey_.setInterval(0);
    connect(&afterKey_, &QTimer::timeout, this, &FocusMark::follow);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this] { follow(); });
}

bool FocusMark::shown() const { return bars_[0]->isVisible(); }

QRect FocusMark::ring() const {
    if (!shown()) return {};
    QRect all;
    for (const QWidget* bar : bars_) all |= bar->geometry();
    return all;
}

bool FocusMark::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            if (widget == window_ || window_->isAncestorOf(widget)) {
                keyboardUsed_ = true;
                // After the key has done its work: Tab moves the focus as it is
                // handled, and a window the desktop has not made active (no
                // window manager) gets keys without the application's focus
                // ever changing.
                afterKey_.start();
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (keyboardUsed_ && (widget == window_ || window_->isAncestorOf(widget))) {
                keyboardUsed_ = false;
                follow();
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            if (widget == target_ || widget == window_) follow();
            break;
        default:
            break;
    }
    return false;
}

void FocusMark::follow() {
    QWidget* focus = window_->focusWidget();
    target_ = focus;
    // Only Tab stops are marked: in full screen the focus sits in a key box
    // under the picture, which is no stop, and the picture covers the window.
    const bool show = keyboardUsed_ && focus != nullptr && focus != window_ &&
                      (focus->focusPolicy() & Qt::TabFocus) != 0 && focus->isVisible() &&
                      !(window_->windowState() & Qt::WindowMaximized);
    if (!show) {
        for (QWidget* bar : bars_) bar->hide();
        return;
    }
    const QRect r(focus->mapTo(window_, QPoint(0, 0)), focus->size());
    const int t = kThickness;
    bars_[0]->setGeometry(r.left() - t, r.top() - t, r.width() + 2 * t, t);
    bars_[1]->setGeometry(r.left() - t, r.bottom() + 1, r.width() + 2 * t, t);
    bars_[2]->setGeometry(r.left() - t, r.top(), t, r.height());
    bars_[3]->setGeometry(r.right() + 1, r.top(), t, r.height());
    for (QWidget* bar : bars_) {
        bar->show();
        bar->raise();
    }
}

}  // namespace kelto::ui
