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

namespace kelto::e2e {

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
    std::filesystem::path folder_;
    std::filesystem::path log_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace kelto::e2e
