#pragma once

#include <QString>
#include <vector>

#include "mci/ModuleMultimedia.h"
#include "platform/MediaTracks.h"
#include "ui/Form1.h"
#include "ui/PictureNote.h"

namespace kelto::player {

// The one place that chooses what of the open film is heard and seen: the
// volume and mute, which the player holds from one file to the next, the
// sound track and the subtitle. Volume, mute and sound track go to the
// service as command strings; subtitles, which have no command words, through
// the service's track seam. Each change the user makes is told on `note`.
//
//   choices.SetVolume(65);          // "Volume 65 %"
//   choices.ChooseAudioTrack(2);    // "Audio 2/2: French (AC-3 5.1)"
//   choices.ChooseSubtitle(0);      // "Subtitles off"
//
// `tracks` may be null (a service without the seam): subtitles and track
// names are then not offered.
class PlaybackChoices {
public:
    static constexpr int kVolumeStep = 5;
    static constexpr int kMaxVolume = 100;

    PlaybackChoices(ui::Form1& form, mci::ModuleMultimedia& mm, platform::MediaTracks* tracks,
                    ui::PictureNote& note);

    // Per cent, 0 to 100; kept while muted.
    int Volume() const { return volume_; }
    bool Muted() const { return muted_; }
    // Clamped to 0..100; a change of volume is heard, so it unmutes.
    void SetVolume(int percent);
    void StepVolume(int steps);
    void SetMuted(bool muted);
    void ToggleMute() { SetMuted(!muted_); }
    // Puts back a volume and mute kept from before, saying nothing.
    void Restore(int percent, bool muted);

    // Sound tracks count from 1; 0 when none is open or the file has none.
    int AudioTrack();
    int AudioTrackCount();
    bool ChooseAudioTrack(int number);
    // The next one, round from the last to the first.
    void StepAudioTrack();

    // Subtitles count from 1; 0 is none shown.
    int Subtitle();
    int SubtitleCount();
    bool ChooseSubtitle(int number);
    // The next one, then none, then the first again.
    void StepSubtitle();
    // Shows the subtitles of a file (a drop, one beside the film).
    bool AddSubtitleFile(const QString& path);

    // A file has just opened: it gets the held volume and mute before it plays.
    void FileOpened();

    // What the note says of a track, from its language, title, coding and channels.
    static QString TrackName(const platform::TrackInfo& track, bool withCoding);

private:
    bool FileOpen() const;
    void SendVolume();
    void Tell(const QString& text);

    ui::Form1& form_;
    mci::ModuleMultimedia& mm_;
    platform::MediaTracks* tracks_;
    ui::PictureNote& note_;
    int volume_ = kMaxVolume;
    bool muted_ = false;
};

}  // namespace kelto::player
