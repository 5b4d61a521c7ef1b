#include "status/FilmKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

namespace kelto::status {

namespace {

constexpr int kWheelNotch = 120;

}  // namespace

FilmKeys::FilmKeys(ui::Form1& form, player::PlaybackChoices& choices)
    : QObject(&form), form_(form), choices_(choices) {
    // Before any control sees the key: the playlist would take a letter as
    // the start of a title to jump to, the key box in full screen as text.
    qApp->installEventFilter(this);
}

FilmKeys::~FilmKeys() { qApp->removeEventFilter(this); }

bool FilmKeys::InWindow(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && (widget == &form_ || form_.isAncestorOf(widget));
}

bool FilmKeys::KeyDown(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    if ((modifiers & (Qt::AltModifier | Qt::MetaModifier)) != 0) return false;
    if (ctrl) {
        if (qtKey == Qt::Key_Up) {
            choices_.StepVolume(1);
            return true;
        }
        if (qtKey == Qt::Key_Down) {
            choices_.StepVolume(-1);
            return true;
        }
        return false;
    }
    switch (qtKey) {
        case Qt::Key_V:
            choices_.StepSubtitle();
            return true;
        case Qt::Key_B:
            choices_.StepAudioTrack();
            return true;
        case Qt::Key_M:
            choices_.ToggleMute();
            return true;
        // "=" is the key that carries "+" on most keyboards.
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            choices_.StepVolume(1);
            return true;
        case Qt::Key_Minus:
            choices_.StepVolume(-1);
            return true;
        default:
            return false;
    }
}

void FilmKeys::Wheel(int angleDelta) {
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / kWheelNotch;
    if (notches == 0) return;
    wheelRest_ -= notches * kWheelNotch;
    choices_.StepVolume(notches);
}

bool FilmKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && InWindow(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return KeyDown(key->key(), key->modifiers());
    }
    if (event->type() == QEvent::Wheel &&
        (watched == form_.Picture1 || (wheelAlso_ != nullptr && watched == wheelAlso_))) {
        Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return false;
}

}  // namespace kelto::status
