#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kelto::mciservice {

class PlaybackPipeline;

// Stands in for opening a file with the media framework: returns 0 and sets
// `out`, or the open's error code. With one, an open never looks at the file
// system and the device gets no window.
using PipelineOpener =
    std::function<std::uint32_t(const std::string& path, std::unique_ptr<PlaybackPipeline>& out)>;

struct ServiceOptions {
    // A video opened without a parent window gets a top-level window of its
    // own when a display is there (for a command-line user); otherwise its
    // picture is discarded.
    bool ownVideoWindows = false;
    // When set, opens go through it instead of the file system and the media
    // framework, and no sound output is looked for.
    PipelineOpener pipelineOpener{};
};

}  // namespace kelto::mciservice
