#include "playlist/WindowLifecycle.h"

#include <QCoreApplication>
#include <utility>

#include "playlist/PlaylistLists.h"

namespace kelto::playlist {

WindowLifecycle::WindowLifecycle(ui::Form1& form, mci::ModuleMultimedia& media, PlaylistFiles files)
    : form_(form), media_(media), files_(std::move(files)) {}

void WindowLifecycle::Form_Load() {
    AppendEntries(*form_.List1, *form_.List2, LoadTexts(files_));
    SelectNothing(*form_.List1);
    SelectNothing(*form_.List2);
}

void WindowLifecycle::Form_QueryUnload() {
    form_.TimerMisc->stop();
    form_.TimerAtEndFile->stop();
    // A click or tick already queued still gets its turn before the media go.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Such a click may have been a play, which switches both timers on again;
    // a closing window must not go on polling a device that is about to close.
    form_.TimerMisc->stop();
    form_.TimerAtEndFile->stop();
    media_.CloseAllMedia();
}

bool WindowLifecycle::Form_Unload() { return files_.Save(EntriesOf(*form_.List1, *form_.List2)); }

}  // namespace kelto::playlist
