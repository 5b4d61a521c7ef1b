#include "tests/support/media/TestClips.h"

#include <stdexcept>
#include <string>
#include <system_error>

namespace kelto::testing {

namespace {

std::string NameOf(ClipKind kind) {
    switch (kind) {
        case ClipKind::Mp3:
            return "tone";
        case ClipKind::Mp2:
            return "tone-layer2";
        case ClipKind::Wav:
            return "tone-pcm";
        case ClipKind::Midi:
            return "scale";
        case ClipKind::Mpeg1:
            return "pattern-mpeg1";
        case ClipKind::Avi:
            return "pattern-avi";
        case ClipKind::Vob:
            return "pattern-program";
    }
    return "clip";
}

}  // namespace

std::filesystem::path DefaultClipDir() { return KELTO_TEST_MEDIA_DIR; }

std::filesystem::path MakeClip(ClipKind kind, const std::filesystem::path& dir, int durationMs) {
    if (durationMs < 100 || durationMs > 60000) {
        throw std::runtime_error("clip length must be between 100 ms and 60 s");
    }
    const auto target =
        dir / (NameOf(kind) + "-" + std::to_string(durationMs) + "ms" + ExtensionOf(kind));
    std::error_code ec;
    if (std::filesystem::is_regular_file(target, ec) &&
        std::filesystem::file_size(target, ec) > 0 && !ec) {
        return target;
    }
    samples::ClipRecipe recipe;
    recipe.kind = kind;
    recipe.durationMs = durationMs;
    samples::WriteClip(recipe, target);
    return target;
}

}  // namespace kelto::testing
