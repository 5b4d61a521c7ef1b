#include "status/EndOfMedia.h"

namespace kelto::status {

EndOfMedia::EndOfMedia(ui::Form1& form, mci::ModuleMultimedia& mm,
                       player::PlaybackControl& playback)
    : form_(form), mm_(mm), playback_(playback) {}

void EndOfMedia::TimerAtEndFile_Timer() {
    // 0: the length is asked afresh on every tick, so a new file's length is
    // never confused with the last one's.
    std::int32_t knownLength = 0;
    if (!mm_.IsAtEnd(form_.state.deviceAlias, knownLength)) return;

    // The poll stays on at the end: ticking Auto Replay then replays the last entry within 0.5 s.
    form_.TimerMisc->stop();
    form_.Timerscroll->stop();
    if (form_.Check->checkState() == Qt::Checked) {
        playback_.PlaySelected();
        return;
    }
    PlayNext();
}

bool EndOfMedia::PlayNext() {
    // The next entry is the one after the selection, not after the file that
    // is playing; with nothing selected that is the first entry.
    const int selected = form_.List1->currentRow();
    if (selected == form_.List1->count() - 1) return false;
    SelectAndPlay(selected + 1);
    return true;
}

bool EndOfMedia::PlayPrevious() {
    const int selected = form_.List1->currentRow();
    if (selected <= 0 || selected >= form_.List1->count()) return false;
    SelectAndPlay(selected - 1);
    return true;
}

void EndOfMedia::SelectAndPlay(int row) {
    form_.List1->setCurrentRow(row);
    // List2's selection follows List1's through the playlist's click handling;
    // it is set here too so that the open below cannot take a stale path.
    form_.List2->setCurrentRow(row);
    playback_.PlaySelected();
}

}  // namespace kelto::status
