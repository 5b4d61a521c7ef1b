#pragma once

#include <QString>

#include "mci/ModuleMultimedia.h"
#include "player/PlaybackListener.h"
#include "ui/Form1.h"

namespace kelto::player {

// The playback operations of the main window: opening and playing the
// selected playlist entry, the transport bar, full screen, the seek slider and
// the close bar. Every operation works on `form`'s controls and player state
// and reaches the media service only through `mm`, always under the alias
// "movie". Both references must outlive this object.
//
//   PlaybackControl playback(form, mm);
//   connect(form.asxToolbar1, &asxToolbar::ButtonClick, [&](int i, const QString& k) {
//       playback.asxToolbar1_Click(i, k); });
//   connect(form.cpvSlider1, &cpvSlider::Change, [&] { playback.cpvSlider1_Change(); });
//   connect(form.asxToolbar3, &asxToolbar::ButtonClick, [&](int i, const QString& k) {
//       playback.asxToolbar3_Click(i, k); });
//
// No operation lets an exception escape: a reply too large for the player's
// 32-bit arithmetic counts as an unknown value (-1), as a refused query does.
class PlaybackControl {
public:
    // The slider as the window lays it down, and the playing time of a step.
    static constexpr int kSliderMinimum = -1;
    static constexpr int kSliderMaximum = 100;
    static constexpr int kSecondsPerSliderStep = 2;

    PlaybackControl(ui::Form1& form, mci::ModuleMultimedia& mm);

    // Closes everything, opens the entry selected in List2 (by its bytes) and
    // plays it whole inside Picture1, which then takes the video's picture
    // size. A file that does not open or play is said (SayNotPlaying).
    void PlaySelected();
    // The same open and play, then full screen (EnterFullScreen's steps).
    void PlaySelectedFullScreen();

    // Pause when the pause flag (button 2 of asxToolbar1) is clear, resume when
    // it is set; the flag flips whatever the service answered.
    void TogglePause();
    // Stops where the file stands; the file stays open.
    void StopPlayback();
    // 40 % speed when the slow-motion flag (button 4) is clear, 100 % when set.
    void ToggleSlowMotion();
    // Maximises the window, spreads Picture1 and the video over it and gives
    // txtfull the keyboard focus. Playback is not touched.
    void EnterFullScreen();

    // Transport bar: 1 play, 2 pause, 3 stop, 4 slow motion, 5 full screen;
    // dispatches on the index alone.
    void asxToolbar1_Click(int index, const QString& key);
    // The seek: two seconds of playing time per slider step, from the frame
    // rate shown in LbFramesPerSecond. Ignored while that label holds no number.
    void cpvSlider1_Change();
    // Close bar: index 1 closes the main window.
    void asxToolbar3_Click(int index, const QString& key);

    // Who hears of files starting and being left; none by default. For roads
    // that reach the service without these operations, the two Note calls.
    void setListener(PlaybackListener* listener) { listener_ = listener; }
    void NoteStopping();
    void NoteChoice();

    // The sequence ended without a playing file, or a station stopped: says
    // so on standard error and on the title strip (on every pass until a
    // file plays), and empties the meter, the time and the slider, which
    // would otherwise go on showing the file before.
    void SayNotPlaying(const std::string& why);

private:
    void OpenSelected();
    void FillInformationBlock();
    void PlayWhole();
    void SizeVideoArea();
    // Puts the video window over the whole of Picture1 as it stands now.
    void PutVideoOverArea();
    // The service's text for why the file does not play, given the open's result.
    std::string WhyNotPlaying(const std::string& opened);
    // A file plays: the strip names it again, and the slider spans it.
    void SayPlaying();
    // The slider's range covers the open file, its thumb at the start.
    void SpanSlider();

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    PlaybackListener* listener_ = nullptr;
};

}  // namespace kelto::player
