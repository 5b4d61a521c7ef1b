// mcisend: sends media control command strings to the service, one per line
// of standard input (or one per argument), and prints one line per command.

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>

#include "KeltoVersion.h"
#include "mciservice/MciService.h"

namespace {

void PrintUsage() {
    std::cout << "Usage: mcisend [--help] [--version] [COMMAND]...\n"
                 "Sends each COMMAND (or, with none, each line of standard input) to the media\n"
                 "control service and prints the return code, a TAB, and the reply text (code 0)\n"
                 "or the error text. All devices are closed at the end.\n"
                 "Example: mcisend \"open /tmp/a.mp3 type MPEGVideo alias a\" \"play a wait\"\n";
}

void Run(kelto::mciservice::MciService& service, const std::string& command) {
    std::string reply;
    const std::uint32_t rc = service.SendString(command, reply);
    std::cout << rc << '\t' << (rc == 0 ? reply : kelto::mciservice::MciService::ErrorText(rc))
              << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "mcisend " << kelto::kVersion << '\n';
        return 0;
    }
    // Videos opened without a parent get a window of their own when a display
    // is there, and play headless otherwise.
    kelto::mciservice::MciService service({.ownVideoWindows = true});
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            Run(service, argv[i]);
        }
    } else {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            Run(service, line);
        }
    }
    std::string reply;
    service.SendString("close all", reply);
    return 0;
}
