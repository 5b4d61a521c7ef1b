#pragma once

#include <string>
#include <vector>

#include "mci/ModuleMultimedia.h"
#include "player/PlaybackControl.h"
#include "tests/support/fakes/RecordingMciPlatform.h"
#include "tests/support/player/FakeMovie.h"
#include "ui/Form1.h"

namespace kelto::testing {

// The recording fake, measuring windows the way the real platform does, so
// that "put ... window at" carries the video area's true size.
class WidgetMciPlatform : public RecordingMciPlatform {
public:
    bool GetWindowRect(std::int32_t window, platform::WindowRect& rect) override;
};

// A window with its playback operations over a scripted "movie" device.
struct PlayerRig {
    PlayerRig();

    // Appends title/path pairs to List1/List2.
    void AddEntries(const std::vector<std::string>& paths);
    // Selects `row` in both lists, as a click on List1 does.
    void Select(int row);
    // Commands sent since the last call, trailing blanks removed.
    std::vector<std::string> TakeCommands();

    WidgetMciPlatform mci;
    FakeMovie movie{mci};
    mci::ModuleMultimedia mm{mci};
    ui::Form1 form;
    player::PlaybackControl playback{form, mm};
};

// The command sequence of a successful open and play of the fake's file at
// `path` (up to and including the play command).
std::vector<std::string> OpenAndPlayCommands(const std::string& path, std::int32_t parent,
                                             const std::string& lengthFrames);

}  // namespace kelto::testing
