#include "playlist/WindowLifecycle.h"

#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <utility>

#include "playlist/PlaylistLists.h"

namespace kelto::playlist {

WindowLifecycle::WindowLifecycle(ui::Form1& form, mci::ModuleMultimedia& media, PlaylistFiles files)
    : form_(form), media_(media), files_(std::move(files)) {}

void WindowLifecycle::Form_Load() {
    const PlaylistTexts texts = LoadTexts(files_);
    if (!texts.repaired.isEmpty()) {
        // Said before anything can be saved over the files it names.
        const std::string kept = files_.KeepAsFound();
        std::fprintf(stderr, "kelto-player: the playlist files were repaired (%s); %s\n",
                     texts.repaired.toLocal8Bit().constData(), kept.c_str());
    }
    AppendEntries(*form_.List1, *form_.List2, texts);
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

bool WindowLifecycle::Form_Unload() {
    std::string error;
    if (files_.Save(EntriesOf(*form_.List1, *form_.List2), &error)) return true;
    // The window is going away: standard error is the one place left to say it.
    std::fprintf(stderr, "kelto-player: the playlist was not saved: %s\n", error.c_str());
    return false;
}

}  // namespace kelto::playlist
