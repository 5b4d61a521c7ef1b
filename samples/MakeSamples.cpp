// Build-time tool: makes the sample clips a newcomer's first playlist holds.
// Each argument is a file to write; its extension picks what goes in it.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "samples/ClipEncoder.h"
#include "samples/Tune.h"

namespace {

using kelto::samples::ClipKind;
using kelto::samples::ClipRecipe;
using kelto::samples::ClipSound;

std::optional<ClipRecipe> RecipeFor(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    ClipRecipe recipe;
    recipe.durationMs = kelto::samples::kSampleTuneMs;
    if (extension == ".mpg") {
        recipe.kind = ClipKind::Mpeg1;
        recipe.sound = ClipSound::Tone;
        recipe.showClock = true;
    } else if (extension == ".mp3") {
        recipe.kind = ClipKind::Mp3;
        recipe.sound = ClipSound::Tune;
    } else if (extension == ".mid") {
        recipe.kind = ClipKind::Midi;
        recipe.sound = ClipSound::Tune;
    } else {
        return std::nullopt;
    }
    return recipe;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.mpg|FILE.mp3|FILE.mid...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path file = argv[i];
        const auto recipe = RecipeFor(file);
        if (!recipe) {
            std::fprintf(stderr, "%s: no sample is made as %s (use .mpg, .mp3 or .mid)\n", argv[0],
                         file.c_str());
            return 2;
        }
        try {
            kelto::samples::WriteClip(*recipe, file);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
            return 1;
        }
    }
    return 0;
}
