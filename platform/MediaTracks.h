#pragma once

#include <string>
#include <vector>

namespace kelto::platform {

// One stream of sound or text in an open file, as the file describes it.
struct TrackInfo {
    // The language's code as the file gives it ("fr", "fre", "en-US"); empty
    // when the file does not say.
    std::string language;
    // The track's own name, when the file gives one ("Commentary").
    std::string title;
    // Sound only: the coding ("AC-3", "Vorbis") and the number of channels.
    std::string codec;
    int channels = 0;
    // The file marks the track to be played or shown unless the viewer
    // chooses otherwise (its default or forced flag).
    bool preferred = false;
    // Text from a file beside the film rather than from the film itself.
    bool external = false;
};

// What the command language has no words for: the names of an open file's
// sound tracks, and its subtitles. Tracks count from 1, as "setaudio ...
// stream to" counts them; subtitle 0 is none shown. The window side reaches
// these through this alone; the choice of sound track goes through commands.
class MediaTracks {
public:
    MediaTracks() = default;
    MediaTracks(const MediaTracks&) = delete;
    MediaTracks& operator=(const MediaTracks&) = delete;
    MediaTracks(MediaTracks&&) = delete;
    MediaTracks& operator=(MediaTracks&&) = delete;
    virtual ~MediaTracks() = default;

    // Empty when no device is open under `alias` or it holds no such streams.
    virtual std::vector<TrackInfo> AudioTracks(const std::string& alias) = 0;
    virtual std::vector<TrackInfo> Subtitles(const std::string& alias) = 0;
    // The subtitle drawn over the picture; 0 for none.
    virtual int ShownSubtitle(const std::string& alias) = 0;
    // 0 hides them. False when there is no such subtitle or no such device.
    virtual bool ShowSubtitle(const std::string& alias, int number) = 0;
    // Adds the subtitles of a text file (SubRip, WebVTT, SSA/ASS, MicroDVD)
    // as the last subtitle and shows it, keeping the place and the mode of
    // playback. False when the device has no picture or the file gives none.
    virtual bool AddSubtitleFile(const std::string& alias, const std::string& path) = 0;
};

}  // namespace kelto::platform
