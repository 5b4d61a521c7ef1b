#pragma once

#include <string>

namespace kelto::platform {

// What a look at a file's first bytes found.
struct MediaContent {
    // Sound or pictures in motion, in a form the media engine knows.
    bool isMedia = false;
    // The kind found, as a media type ("video/webm", "image/png"); empty when
    // the content matched no kind the engine knows, or could not be read.
    std::string kind;
};

// Tells media from other files by their content, whatever their names say, so
// that a file joins the playlist only when the media service can be asked to
// open it. The window side reaches the media engine through this alone.
class MediaProbe {
public:
    MediaProbe() = default;
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;
    MediaProbe(MediaProbe&&) = delete;
    MediaProbe& operator=(MediaProbe&&) = delete;
    virtual ~MediaProbe() = default;

    // Reads as little of `path` as the engine needs to tell its kind. Never
    // blocks on a pipe or a device: only a regular file is looked into.
    virtual MediaContent Examine(const std::string& path) const = 0;
};

}  // namespace kelto::platform
