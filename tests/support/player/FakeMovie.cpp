#include "tests/support/player/FakeMovie.h"

namespace kelto::testing {

namespace {

constexpr std::uint32_t kNotOpen = 263;
constexpr std::uint32_t kFileNotFound = 275;
constexpr std::uint32_t kNoDisplayWindow = 346;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

FakeMovie::FakeMovie(RecordingMciPlatform& platform) {
    platform.setHook([this](const std::string& command) { return handle(command); });
}

std::optional<Reply> FakeMovie::handle(const std::string& command) {
    if (command == "Close All") {
        open_ = false;
        return Reply::ok();
    }
    if (StartsWith(command, "open ")) {
        const std::size_t typeAt = command.find(" type ");
        const std::string path = command.substr(5, typeAt == std::string::npos ? 0 : typeAt - 5);
        if (path.empty() || missingPaths.count(path) != 0) return Reply::error(kFileNotFound);
        open_ = true;
        frames_ = false;  // a fresh device counts in milliseconds
        openedPath_ = path;
        return Reply::ok("1");
    }
    if (command.find(" movie") == std::string::npos) return std::nullopt;
    if (!open_) return Reply::error(kNotOpen);
    if (command == "set movie time format frames") {
        frames_ = true;
        return Reply::ok();
    }
    if (command == "set movie time format ms") {
        frames_ = false;
        return Reply::ok();
    }
    if (command == "status movie length") return Reply::ok(frames_ ? lengthFrames : lengthMs);
    if (command == "status movie position") {
        return positionCode == 0 ? Reply::ok(position) : Reply::error(positionCode);
    }
    if (command == "status movie speed") return Reply::ok(speed);
    if (command == "Where movie destination") {
        if (!width || !height) return Reply::error(kNoDisplayWindow);
        return Reply::ok("0 0 " + std::to_string(*width) + " " + std::to_string(*height));
    }
    if (StartsWith(command, "play movie from ")) {
        return playCode == 0 ? Reply::ok() : Reply::error(playCode);
    }
    return std::nullopt;
}

}  // namespace kelto::testing
