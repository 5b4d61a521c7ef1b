#include "tests/support/media/TestClips.h"

#include <gst/gst.h>

#include <cstdio>
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
        case ClipKind::Mp4:
            return "pattern-h264-aac";
        case ClipKind::M4a:
            return "tone-aac";
        case ClipKind::Mkv:
            return "pattern-h264-vorbis";
        case ClipKind::WebM:
            return "pattern-vp9-opus";
        case ClipKind::Ogg:
            return "tone-vorbis";
        case ClipKind::Opus:
            return "tone-opus";
        case ClipKind::Flac:
            return "tone-flac";
        case ClipKind::ThreeGp:
            return "pattern-phone";
        case ClipKind::ThreeG2:
            return "pattern-phone2";
        case ClipKind::Mts:
            return "pattern-camcorder";
        case ClipKind::M4b:
            return "tone-book";
        case ClipKind::Aac:
            return "tone-adts";
        case ClipKind::Ac3:
            return "tone-ac3";
        case ClipKind::Mka:
            return "tone-matroska";
    }
    return "clip";
}

}  // namespace

std::vector<std::string> MissingElementsFor(ClipKind kind) {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    samples::ClipRecipe recipe;
    recipe.kind = kind;
    std::vector<std::string> missing;
    for (const std::string& name : samples::ElementsFor(recipe)) {
        GstElementFactory* factory = gst_element_factory_find(name.c_str());
        if (factory == nullptr) {
            missing.push_back(name);
        } else {
            gst_object_unref(factory);
        }
    }
    return missing;
}

std::filesystem::path DefaultClipDir() { return KELTO_TEST_MEDIA_DIR; }

namespace {

// Clips appear under their final name only when complete, so one that is
// there can be reused as it is.
std::filesystem::path MadeOnce(const samples::ClipRecipe& recipe,
                               const std::filesystem::path& target) {
    if (recipe.durationMs < 100 || recipe.durationMs > 60000) {
        throw std::runtime_error("clip length must be between 100 ms and 60 s");
    }
    std::error_code ec;
    if (std::filesystem::is_regular_file(target, ec) &&
        std::filesystem::file_size(target, ec) > 0 && !ec) {
        return target;
    }
    samples::WriteClip(recipe, target);
    return target;
}

}  // namespace

std::filesystem::path MakeRecipeClip(const samples::ClipRecipe& recipe,
                                     const std::filesystem::path& dir, const std::string& name) {
    return MadeOnce(recipe, dir / name);
}

std::filesystem::path MakeClip(ClipKind kind, const std::filesystem::path& dir, int durationMs) {
    samples::ClipRecipe recipe;
    recipe.kind = kind;
    recipe.durationMs = durationMs;
    return MadeOnce(
        recipe, dir / (NameOf(kind) + "-" + std::to_string(durationMs) + "ms" + ExtensionOf(kind)));
}

std::filesystem::path MakeSolidClip(std::uint32_t rgb, const std::filesystem::path& dir,
                                    int durationMs, ClipKind kind) {
    samples::ClipRecipe recipe;
    recipe.kind = kind;
    recipe.durationMs = durationMs;
    recipe.solidRgb = rgb & 0xffffffU;
    char colour[8];
    std::snprintf(colour, sizeof colour, "%06x", static_cast<unsigned>(*recipe.solidRgb));
    return MadeOnce(recipe, dir / ("solid-" + std::string(colour) + "-" +
                                   std::to_string(durationMs) + "ms" + ExtensionOf(kind)));
}

}  // namespace kelto::testing
