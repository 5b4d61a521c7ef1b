#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/files/TempFolder.h"
#include "tests/support/media/TestClips.h"

namespace kelto::e2e {

// A point of the bare window surface, with no control under it, in the
// window's layout pixels.
inline constexpr double kBackgroundX = 300, kBackgroundY = 230;

// A clip of `ms` milliseconds whose every picture is `rgb`, so that a
// screenshot shows where it lands.
inline std::filesystem::path Clip(std::uint32_t rgb, int ms) {
    return testing::MakeSolidClip(rgb, testing::DefaultClipDir(), ms);
}

// The real player, started on a test's X server in a folder of its own with a
// playlist of the given files, tracing every media command it sends.
class PlayerProcess {
public:
    static constexpr const char* kTitle = "Kelto Player 1.0";

    PlayerProcess(const XDisplay& display, const std::vector<std::filesystem::path>& playlist,
                  const std::string& scaleFactor = "1",
                  const std::map<std::string, std::string>& extraEnv = {});
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;
    ~PlayerProcess();

    double Scale() const { return scale_; }
    // The window's rectangle on the screen once it is shown.
    Box WaitForWindow();
    // A point given in the window's own (layout) pixels, on the screen.
    int ScreenX(const Box& window, double layoutX) const;
    int ScreenY(const Box& window, double layoutY) const;

    // Waits until the player has sent `count` commands starting with
    // `command` (letter case as sent) and the service has carried them out.
    // On failure the message holds the player's output, trace included.
    ::testing::AssertionResult WaitForCommand(const std::string& command, int count = 1);
    // Counts the commands sent, or only those carried out.
    int CommandCount(const std::string& command, bool carriedOutOnly = true) const;
    std::string Log() const;

    // Clicks the close bar and waits for the program to end; its exit status.
    std::optional<int> CloseWithCloseBar(const Box& window);

private:
    const XDisplay& display_;
    double scale_;
    testing::TempFolder folder_;
    std::filesystem::path log_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace kelto::e2e
