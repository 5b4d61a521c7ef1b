#include "samples/RecipeArgs.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <string_view>
#include <utility>

namespace kelto::samples {

namespace {

constexpr std::array<std::pair<ClipKind, std::string_view>, 14> kKinds{{
    {ClipKind::Mp3, "mp3"},
    {ClipKind::Mp2, "mp2"},
    {ClipKind::Wav, "wav"},
    {ClipKind::Midi, "midi"},
    {ClipKind::Mpeg1, "mpeg1"},
    {ClipKind::Avi, "avi"},
    {ClipKind::Vob, "vob"},
    {ClipKind::Mp4, "mp4"},
    {ClipKind::M4a, "m4a"},
    {ClipKind::Mkv, "mkv"},
    {ClipKind::WebM, "webm"},
    {ClipKind::Ogg, "ogg"},
    {ClipKind::Opus, "opus"},
    {ClipKind::Flac, "flac"},
}};

template <typename Number>
bool ParseWhole(std::string_view text, Number& out, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out, base);
    return !text.empty() && error == std::errc{} && stop == end;
}

bool ParseSize(std::string_view text, ClipRecipe& recipe) {
    const auto x = text.find('x');
    return x != std::string_view::npos && ParseWhole(text.substr(0, x), recipe.width) &&
           ParseWhole(text.substr(x + 1), recipe.height);
}

bool ParseSolid(std::string_view text, ClipRecipe& recipe) {
    if (text == "none") {
        recipe.solidRgb.reset();
        return true;
    }
    std::uint32_t rgb = 0;
    if (text.size() != 6 || !ParseWhole(text, rgb, 16)) {
        return false;
    }
    recipe.solidRgb = rgb;
    return true;
}

bool Apply(std::string_view key, std::string_view value, ClipRecipe& recipe) {
    if (key == "kind") {
        for (const auto& [kind, name] : kKinds) {
            if (name == value) {
                recipe.kind = kind;
                return true;
            }
        }
        return false;
    }
    if (key == "ms") {
        return ParseWhole(value, recipe.durationMs);
    }
    if (key == "size") {
        return ParseSize(value, recipe);
    }
    if (key == "sound") {
        recipe.sound = value == "tune" ? ClipSound::Tune : ClipSound::Tone;
        return value == "tune" || value == "tone";
    }
    if (key == "clock") {
        recipe.showClock = value == "1";
        return value == "0" || value == "1";
    }
    if (key == "solid") {
        return ParseSolid(value, recipe);
    }
    return false;
}

}  // namespace

std::vector<std::string> RecipeToArgs(const ClipRecipe& recipe) {
    std::string kind;
    for (const auto& [k, name] : kKinds) {
        if (k == recipe.kind) {
            kind = name;
        }
    }
    std::string solid = "none";
    if (recipe.solidRgb) {
        char hex[7];
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(*recipe.solidRgb & 0xffffffU));
        solid = hex;
    }
    return {"kind=" + kind,
            "ms=" + std::to_string(recipe.durationMs),
            "size=" + std::to_string(recipe.width) + "x" + std::to_string(recipe.height),
            std::string("sound=") + (recipe.sound == ClipSound::Tune ? "tune" : "tone"),
            std::string("clock=") + (recipe.showClock ? "1" : "0"),
            "solid=" + solid};
}

std::optional<ClipRecipe> RecipeFromArgs(const std::vector<std::string>& words) {
    constexpr std::array<std::string_view, 6> kKeys{"kind",  "ms",    "size",
                                                    "sound", "clock", "solid"};
    std::map<std::string_view, std::string_view> given;
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        if (equals == std::string::npos || !given
                                                .emplace(std::string_view(word).substr(0, equals),
                                                         std::string_view(word).substr(equals + 1))
                                                .second) {
            return std::nullopt;
        }
    }
    if (given.size() != kKeys.size()) {
        return std::nullopt;
    }
    ClipRecipe recipe;
    for (const std::string_view key : kKeys) {
        const auto found = given.find(key);
        if (found == given.end() || !Apply(key, found->second, recipe)) {
            return std::nullopt;
        }
    }
    return recipe;
}

}  // namespace kelto::samples
