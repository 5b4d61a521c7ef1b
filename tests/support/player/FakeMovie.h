#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "tests/support/fakes/RecordingMciPlatform.h"

namespace kelto::testing {

// A device of the media service, scripted on top of a RecordingMciPlatform:
// it follows open / Close All, keeps the time format the player last set and
// answers "status movie length" in that format, so the command layer's
// queries see one consistent file. Replies that a field does not cover fall
// through to the platform's own rules.
//
//   RecordingMciPlatform mci;
//   FakeMovie movie(mci);          // 250 frames, 10000 ms, 352 x 288
//   movie.position = 125;          // half-way
//   movie.width = std::nullopt;    // audio only: "Where" is refused
class FakeMovie {
public:
    explicit FakeMovie(RecordingMciPlatform& platform);

    // What the open file reports. Replies are text so that a test can send
    // numbers beyond 32 bits.
    std::string lengthFrames = "250";
    std::string lengthMs = "10000";
    std::string position = "0";
    // Code for the position query: 0 answers `position`, anything else refuses.
    std::uint32_t positionCode = 0;
    std::string speed = "1000";
    std::optional<int> width = 352;
    std::optional<int> height = 288;

    // Paths whose open fails with 275 (file not found); the empty path always does.
    std::set<std::string> missingPaths;
    // The service's answer to the play command (0 = success).
    std::uint32_t playCode = 0;

    bool isOpen() const { return open_; }
    // Path of the latest successful open.
    const std::string& openedPath() const { return openedPath_; }

private:
    std::optional<Reply> handle(const std::string& command);

    bool open_ = false;
    bool frames_ = true;
    std::string openedPath_;
};

}  // namespace kelto::testing
