#pragma once

#include <QObject>
#include <QWidget>

#include "history/PlaybackMemory.h"

namespace kelto::history {

// R, in the window and in full screen, takes the offer to continue. While no
// offer is up the key goes where it always went (the playlist's search by
// first letter, for one), so the window keeps every key it had.
class ContinueKey : public QObject {
public:
    // Watches the keys of `window` and everything in it.
    ContinueKey(QWidget& window, PlaybackMemory& memory);
    ~ContinueKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    PlaybackMemory& memory_;
};

}  // namespace kelto::history
