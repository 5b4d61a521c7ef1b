// Build and test tool: makes one clip, described word by word as RecipeArgs.h
// writes it, into the file named last. Clip writers run it as a process of
// its own so that an encoder ending its process ends only this one.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "samples/GstClipEncoder.h"
#include "samples/RecipeArgs.h"

namespace {

// Leaves without tearing anything down: a stalled encoder's threads may still
// be running, and nothing the libraries hold needs giving back before the
// process goes. The file is complete or the exit code says it is not.
[[noreturn]] void Leave(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const auto recipe = words.empty()
                            ? std::nullopt
                            : kelto::samples::RecipeFromArgs({words.begin(), words.end() - 1});
    if (!recipe) {
        std::fprintf(stderr,
                     "usage: %s kind=K ms=N size=WxH sound=tone|tune clock=0|1 "
                     "solid=RRGGBB|none FILE\n",
                     argv[0]);
        Leave(2);
    }
    try {
        kelto::samples::EncodeWithGStreamer(*recipe, words.back());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        Leave(1);
    }
    Leave(0);
}
