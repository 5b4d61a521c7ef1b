#include "app/CommandLine.h"

namespace kelto::app {

namespace {

constexpr const char* kUsage =
    "Usage: kelto-player [--help] [--version]\n"
    "\n"
    "Kelto Player, a small media player for audio and video files.\n"
    "The playlist is kept in pl1.txt (titles) and pl2.txt (full paths) in the\n"
    "folder the player is started from.\n"
    "\n"
    "In full screen: F1 play the selected entry again, F2 pause or resume,\n"
    "F3 stop and leave full screen, F4 slow motion, Escape leave full screen.\n"
    "\n"
    "  -h, --help     show this text and exit\n"
    "      --version  show the version and exit\n";

}  // namespace

CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") return {true, 0, kUsage};
        if (arg == "--version") return {true, 0, "kelto-player " KELTO_VERSION "\n"};
    }
    return {};
}

}  // namespace kelto::app
