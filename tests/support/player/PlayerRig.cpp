#include "tests/support/player/PlayerRig.h"

#include <QFileInfo>

#include "platform/widgets/NativeWindowRect.h"

namespace kelto::testing {

bool WidgetMciPlatform::GetWindowRect(std::int32_t window, platform::WindowRect& rect) {
    RecordingMciPlatform::GetWindowRect(window, rect);  // keeps the call in the log
    return platform::NativeWindowRect(window, rect);
}

PlayerRig::PlayerRig() { form.TimerAtEndFile->stop(); }

void PlayerRig::AddEntries(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const QString full = QString::fromStdString(path);
        form.List1->addItem(QFileInfo(full).fileName());
        form.List2->addItem(full);
    }
}

void PlayerRig::Select(int row) {
    form.List1->setCurrentRow(row);
    form.List2->setCurrentRow(row);
}

std::vector<std::string> PlayerRig::TakeCommands() {
    std::vector<std::string> commands = mci.trimmedCommands();
    mci.clear();
    return commands;
}

std::vector<std::string> OpenAndPlayCommands(const std::string& path, std::int32_t parent,
                                             const std::string& lengthFrames) {
    const std::string where = "Where movie destination";
    const std::string length = "status movie length";
    const std::string frames = "set movie time format frames";
    const std::string ms = "set movie time format ms";
    return {"Close All",
            "open " + path + " type MPEGVideo Alias movie parent " + std::to_string(parent) +
                " Style 1073741824",
            where,
            where,
            where,
            where,  // stored size, then the two labels
            ms,
            length,
            frames,
            frames,
            length,  // frames per second
            frames,
            length,  // total frames
            ms,
            length,
            frames,                // total time
            "status movie speed",  // rate
            frames,
            length,  // the play command's length
            "play movie from 0 to " + lengthFrames};
}

}  // namespace kelto::testing
