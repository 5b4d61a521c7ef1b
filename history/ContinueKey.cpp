#include "history/ContinueKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace kelto::history {

ContinueKey::ContinueKey(QWidget& window, PlaybackMemory& memory)
    : window_(window), memory_(memory) {
    // The application's filter sees a key before the widget with the focus,
    // whichever that is (the playlist, the full-screen key box).
    QCoreApplication::instance()->installEventFilter(this);
}

ContinueKey::~ContinueKey() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool ContinueKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !memory_.offering()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_R) return false;
    if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &window_) return false;
    if (key->isAutoRepeat()) return true;
    memory_.Continue();
    return true;
}

}  // namespace kelto::history
