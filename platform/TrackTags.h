#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelto::platform {

// What the media engine read from the tags of the media that plays: a file's
// own, or the song a station announces. Texts are UTF-8; empty when absent.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::uint32_t trackNumber = 0;  // 0 when absent
    // The front cover as the file holds it (JPEG or PNG bytes), or else the
    // first picture it holds; empty without one.
    std::vector<std::uint8_t> cover;

    bool Empty() const {
        return title.empty() && artist.empty() && album.empty() && trackNumber == 0 &&
               cover.empty();
    }
    bool operator==(const TrackTags&) const = default;
};

// The media service's answers that the command language has no words for.
// Each call returns at once from what the service already holds: none waits
// on a file or the network.
class TrackTagSource {
public:
    TrackTagSource() = default;
    TrackTagSource(const TrackTagSource&) = delete;
    TrackTagSource& operator=(const TrackTagSource&) = delete;
    TrackTagSource(TrackTagSource&&) = delete;
    TrackTagSource& operator=(TrackTagSource&&) = delete;
    virtual ~TrackTagSource() = default;

    // Grows each time the tags of the device open under `alias` change; 0
    // when none is open or nothing has been read. Cheap enough for a tick.
    virtual std::uint64_t TagsVersion(const std::string& alias) = 0;
    virtual TrackTags Tags(const std::string& alias) = 0;
    // Why the stream open under `alias` stopped (the station could not be
    // reached, or stopped sending); empty while it plays and for files.
    virtual std::string StreamFailure(const std::string& alias) = 0;
};

}  // namespace kelto::platform
