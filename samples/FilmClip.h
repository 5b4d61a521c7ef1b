#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelto::samples {

// A sound track of a film: a steady tone, so the track that is heard can be
// told by its pitch.
struct FilmSound {
    std::string language;  // "en", "fr"; empty for none
    std::string title;     // a single word, or empty
    int toneHz = 440;
    // Six channels in AC-3 when true; two in Vorbis otherwise.
    bool surround = false;
};

// A subtitle track of a film, given as SubRip text (UTF-8).
struct FilmText {
    std::string language;
    std::string subRip;
};

// A Matroska film of one solid colour (0xRRGGBB), with each sound and text
// track in the order given.
struct FilmRecipe {
    int durationMs = 4000;
    int width = 320;
    int height = 240;
    std::uint32_t rgb = 0x0000ff;
    std::vector<FilmSound> sounds;
    std::vector<FilmText> texts;
};

// Makes the film at `target` as WriteClip makes a clip: under a private name
// first, renamed when complete. Throws std::runtime_error when it cannot be made.
void WriteFilm(const FilmRecipe& recipe, const std::filesystem::path& target);

// SubRip text of one cue per entry of `lines`, each `cueMs` long, back to back from 0.
std::string SubRipCues(const std::vector<std::string>& lines, int cueMs);

}  // namespace kelto::samples
