#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kelto::mciservice {

class PlaybackPipeline;

// Stands in for opening a file with the media framework: returns 0 and sets
// `out`, or the open's error code. With one, an open never looks at the file
// system and the device gets no window.
using PipelineOpener =
    std::function<std::uint32_t(const std::string& path, std::unique_ptr<PlaybackPipeline>& out)>;

// How a command given with "notify" ended, as its notification says.
enum class NotifyStatus : std::uint8_t { Successful, Superseded, Aborted, Failure };

// The word for a status: "successful", "superseded", "aborted", "failure".
std::string_view NotifyWord(NotifyStatus status);

// Receives a notification for the device of that alias. Called on the
// caller's thread, from within MciService::SendString or MciService::Poll,
// so it must not send commands itself.
using NotifyCallback = std::function<void(std::string_view alias, NotifyStatus status)>;

struct ServiceOptions {
    // A video opened without a parent window gets a top-level window of its
    // own when a display is there (for a command-line user); otherwise its
    // picture is discarded.
    bool ownVideoWindows = false;
    // When set, opens go through it instead of the file system and the media
    // framework, and no sound output is looked for.
    PipelineOpener pipelineOpener{};
    // Where notifications go; without one, "notify" is accepted and nothing is told.
    NotifyCallback notify{};
};

}  // namespace kelto::mciservice
