// mcisend: sends media control command strings to the service, one per
// argument, or one per line of a script file or of standard input, and prints
// one line per command.

#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "KeltoVersion.h"
#include "mciservice/MciService.h"

namespace {

void PrintUsage() {
    std::cout << "Usage: mcisend [--help] [--version] [COMMAND]...\n"
                 "       mcisend -f SCRIPT\n"
                 "Sends each COMMAND (or each line of SCRIPT, \"-\" for standard input; with\n"
                 "no arguments, standard input) to the media control service and prints the\n"
                 "return code, a TAB, and the reply text (code 0) or the error text. Blank\n"
                 "lines and lines starting with # are skipped. On a terminal it prompts.\n"
                 "All devices are closed at the end.\n"
                 "Example: mcisend \"open /tmp/a.mp3 type MPEGVideo alias a\" \"play a wait\"\n";
}

void Run(kelto::mciservice::MciService& service, const std::string& command) {
    std::string reply;
    const std::uint32_t rc = service.SendString(command, reply);
    std::cout << rc << '\t' << (rc == 0 ? reply : kelto::mciservice::MciService::ErrorText(rc))
              << std::endl;
}

// Until standard input has more to read, notifications are told as plays end.
void AwaitInput(kelto::mciservice::MciService& service) {
    constexpr int kPollMs = 100;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (std::cin.rdbuf()->in_avail() <= 0 && poll(&input, 1, kPollMs) == 0) {
        service.Poll();
    }
}

// One command a line until the end of `in`; a person at a terminal gets a prompt.
void RunLines(kelto::mciservice::MciService& service, std::istream& in, bool prompt) {
    std::string line;
    for (;;) {
        if (prompt) {
            std::cout << "mci> " << std::flush;
        }
        if (&in == &std::cin) {
            AwaitInput(service);
        }
        if (!std::getline(in, line)) {
            break;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        Run(service, line);
    }
    if (prompt) {
        std::cout << std::endl;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Its own buffer lets standard input tell what it holds already read, so
    // that waiting for more never holds up a command that has come.
    std::ios::sync_with_stdio(false);
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "mcisend " << kelto::kVersion << '\n';
        return 0;
    }
    const bool script = argc > 1 && std::strcmp(argv[1], "-f") == 0;
    if (script && argc != 3) {
        std::cerr << "mcisend: -f takes one script file (\"-\" for standard input)\n";
        return 2;
    }
    std::ifstream file;
    if (script && std::strcmp(argv[2], "-") != 0) {
        file.open(argv[2]);
        if (!file) {
            std::cerr << "mcisend: cannot read " << argv[2] << '\n';
            return 2;
        }
    }
    // Videos opened without a parent get a window of their own when a display
    // is there, and play headless otherwise.
    // Each notification is a line of its own: "notify rec successful".
    kelto::mciservice::MciService service(
        {.ownVideoWindows = true,
         .notify = [](std::string_view alias, kelto::mciservice::NotifyStatus status) {
             std::cout << "notify " << alias << ' ' << kelto::mciservice::NotifyWord(status)
                       << std::endl;
         }});
    if (file.is_open()) {
        RunLines(service, file, false);
    } else if (argc > 1 && !script && !(argc == 2 && std::strcmp(argv[1], "-") == 0)) {
        for (int i = 1; i < argc; ++i) {
            Run(service, argv[i]);
        }
    } else {
        RunLines(service, std::cin, isatty(STDIN_FILENO) != 0);
    }
    std::string reply;
    service.SendString("close all", reply);
    return 0;
}
