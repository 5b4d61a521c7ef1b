#include "tests/e2e/PlayerProcess.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kelto::e2e {

namespace {

using namespace std::chrono_literals;

// The build's own player, unless KELTO_PLAYER names another (an installed one,
// or another build) to be put through the same paces.
std::string PlayerProgram() {
    const char* other = std::getenv("KELTO_PLAYER");
    return other != nullptr && *other != '\0' ? other : KELTO_PLAYER_BIN;
}

}  // namespace

PlayerProcess::PlayerProcess(const XDisplay& display,
                             const std::vector<std::filesystem::path>& playlist,
                             const std::string& scaleFactor,
                             const std::map<std::string, std::string>& extraEnv)
    : display_(display), scale_(std::stod(scaleFactor)) {
    {
        std::ofstream titles(folder_ / "pl1.txt", std::ios::binary);
        std::ofstream paths(folder_ / "pl2.txt", std::ios::binary);
        for (const auto& file : playlist) {
            titles << file.filename().string() << "\r\n";
            paths << file.string() << "\r\n";
        }
    }
    log_ = folder_ / "player.log";
    std::map<std::string, std::string> env = {
        {"DISPLAY", display.Name()},
        {"QT_QPA_PLATFORM", "xcb"},
        {"QT_SCALE_FACTOR", scaleFactor},
        {"QT_LOGGING_RULES", "kelto.trace.*=true"},
        {"XDG_RUNTIME_DIR", folder_.path().string()},
        // The history of the test's own player, not of whoever runs the tests.
        {"XDG_STATE_HOME", (folder_ / "state").string()},
        {"WAYLAND_DISPLAY", ""},
        {"DBUS_SESSION_BUS_ADDRESS", ""},
        // Every object on the heap of its own, so that the leak checker of a
        // sanitized build sees each one that is lost.
        {"G_SLICE", "always-malloc"}};
    for (const auto& [name, value] : extraEnv) env[name] = value;
    process_ = std::make_unique<ChildProcess>(ChildProcess::Options{
        .argv = {PlayerProgram()}, .env = env, .workDir = folder_.path(), .log = log_});
}

PlayerProcess::~PlayerProcess() { process_.reset(); }

Box PlayerProcess::WaitForWindow() {
    // Ready for input once it stays where the window manager put it, has the
    // keyboard (a manager hands it over a moment after the window shows) and
    // has been painted: the green marquee strip shows at its place.
    std::optional<Box> box, last;
    const bool shown = WaitUntil(
        [&] {
            last = box;
            box = display_.WindowNamed(kTitle);
            if (!box || box != last || !display_.KeyboardAt(kTitle)) return false;
            const Rgb strip = display_.Screenshot().At(ScreenX(*box, 340), ScreenY(*box, 66));
            return strip.Near(Rgb{0, 255, 0}, 0);
        },
        kCeiling);
    if (!shown) throw std::runtime_error("the player's window did not appear:\n" + Log());
    return *box;
}

int PlayerProcess::ScreenX(const Box& window, double layoutX) const {
    return window.x + static_cast<int>(std::lround(layoutX * scale_));
}

int PlayerProcess::ScreenY(const Box& window, double layoutY) const {
    return window.y + static_cast<int>(std::lround(layoutY * scale_));
}

std::string PlayerProcess::Log() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int PlayerProcess::CommandCount(const std::string& command, bool carriedOutOnly) const {
    std::istringstream lines(Log());
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        // "command <microseconds> <code> <command>"
        std::istringstream fields(line);
        std::string mark, micros, code;
        fields >> mark >> micros >> code;
        if (mark != "command" || (carriedOutOnly && code != "0")) continue;
        std::string rest;
        std::getline(fields, rest);
        if (rest.rfind(" " + command, 0) == 0) ++count;
    }
    return count;
}

::testing::AssertionResult PlayerProcess::WaitForCommand(const std::string& command, int count) {
    if (WaitUntil([&] { return CommandCount(command) >= count; }, kCeiling)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << command << "\" carried out fewer than " << count
                                         << " times; the player said:\n"
                                         << Log();
}

std::optional<int> PlayerProcess::CloseWithCloseBar(const Box& window) {
    // The close bar's one button, at the window's top right. A window manager
    // may keep a press for itself; a person would click again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        display_.Click(ScreenX(window, 420), ScreenY(window, 10));
        if (auto status = process_->WaitForExit(20s)) return status;
    }
    return process_->WaitForExit(kCeiling);
}

}  // namespace kelto::e2e
