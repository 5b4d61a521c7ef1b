#pragma once

#include <string>
#include <vector>

namespace kelto::app {

struct CommandLineAnswer {
    // True when the program should end at once with `status`, after printing
    // `text` (to standard output for status 0, else to standard error). With
    // finish false, `text` holds warnings for standard error, if any.
    bool finish = false;
    int status = 0;
    std::string text;
    // The files to add and play, in the order given, as given.
    std::vector<std::string> files;
    // --forget: the history is to be deleted, and the program ends (finish is true).
    bool forget = false;
};

// kelto-player [--help] [--version] [--forget] [--] [FILE...]. Every argument that does
// not start with '-' is a file, and so is every argument after "--"; another
// option is ignored with a warning. `args` excludes the program name; the
// window system toolkit's own options are best taken out first, or their
// values would count as files.
CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& args);

}  // namespace kelto::app
