#pragma once

#include <string>
#include <vector>

namespace kelto::app {

struct CommandLineAnswer {
    // True when the program should end at once with `status`, after printing
    // `text` (to standard output for status 0, else to standard error).
    bool finish = false;
    int status = 0;
    std::string text;
};

// The player takes no arguments of its own apart from --help (-h) and
// --version; everything else is left to the window system's toolkit.
// `args` excludes the program name.
CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& args);

}  // namespace kelto::app
