#pragma once

#include <QTimer>

namespace kelto::player {

// Switching a running timer on must not restart its interval: a tick that is
// nearly due would otherwise be pushed back on every call.
inline void SwitchOn(QTimer* timer) {
    if (!timer->isActive()) timer->start();
}

inline void SwitchOff(QTimer* timer) { timer->stop(); }

}  // namespace kelto::player
