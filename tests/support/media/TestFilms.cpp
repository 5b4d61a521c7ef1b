#include "tests/support/media/TestFilms.h"

#include <system_error>
#include <vector>

namespace kelto::testing {

namespace {

std::filesystem::path MadeOnce(const samples::FilmRecipe& recipe,
                               const std::filesystem::path& target) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(target, ec) &&
        std::filesystem::file_size(target, ec) > 0 && !ec) {
        return target;
    }
    std::filesystem::create_directories(target.parent_path(), ec);
    samples::WriteFilm(recipe, target);
    return target;
}

std::vector<std::string> Cues(const std::string& line, int durationMs) {
    return std::vector<std::string>(static_cast<std::size_t>((durationMs + 999) / 1000), line);
}

}  // namespace

std::filesystem::path MakeLanguagesFilm(const std::filesystem::path& dir, int durationMs) {
    samples::FilmRecipe recipe;
    recipe.durationMs = durationMs;
    recipe.sounds = {{"en", "Main", kEnglishToneHz, false}, {"fr", "Dub", kFrenchToneHz, true}};
    recipe.texts = {{"en", samples::SubRipCues(Cues(kEnglishCue, durationMs), 1000)},
                    {"fr", samples::SubRipCues(Cues(kFrenchCue, durationMs), 1000)}};
    return MadeOnce(recipe, dir / ("film-languages-" + std::to_string(durationMs) + "ms.mkv"));
}

std::filesystem::path MakePlainFilm(const std::filesystem::path& dir, int durationMs) {
    samples::FilmRecipe recipe;
    recipe.durationMs = durationMs;
    recipe.sounds = {{"", "", kEnglishToneHz, false}};
    return MadeOnce(recipe, dir / ("film-plain-" + std::to_string(durationMs) + "ms.mkv"));
}

}  // namespace kelto::testing
