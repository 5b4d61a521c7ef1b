#pragma once

#include <QString>
#include <QTimer>
#include <cstdint>
#include <string>

#include "platform/TrackTags.h"
#include "player/CoverArt.h"
#include "player/PlaybackControl.h"
#include "ui/CoverView.h"
#include "ui/Form1.h"

namespace kelto::player {

// What plays now, beyond what the command language tells: the tags the
// service read, the cover (taken out of the file into the cover cache, or
// found beside it) and, for a station, the song it announces and whether it
// stopped. Looks twice a second; each look costs one question to the service
// unless something changed. Shows the cover in `view` while a sound file
// plays, puts a station's song on the title strip and says a station that
// stopped as a file that would not open. Without a `source` (a stand-in
// service) nothing is ever read and the window behaves as without tags.
class NowPlaying {
public:
    static constexpr int kIntervalMs = 500;

    struct Track {
        platform::TrackTags tags;
        // file:// address of the cover; empty without one.
        QString artUrl;
        // The path, as its bytes, the tags belong to; empty when nothing plays.
        std::string path;
        bool operator==(const Track&) const = default;
    };

    NowPlaying(ui::Form1& form, PlaybackControl& playback, platform::TrackTagSource* source,
               ui::CoverView* view, CoverCache cache = CoverCache());

    const Track& current() const { return current_; }
    void Refresh();

private:
    struct Seen {
        std::string path;
        std::uint64_t version = 0;
        bool playing = false;
        bool video = false;
        bool operator==(const Seen&) const = default;
    };
    void Rebuild(const Seen& seen);
    QString Caption(const platform::TrackTags& tags) const;

    ui::Form1& form_;
    PlaybackControl& playback_;
    platform::TrackTagSource* source_;
    ui::CoverView* view_;
    CoverCache cache_;
    Track current_;
    Seen seen_;
    QTimer poll_;
};

}  // namespace kelto::player
