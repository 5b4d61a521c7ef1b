#pragma once

#include <filesystem>
#include <string>

#include "samples/FilmClip.h"

namespace kelto::testing {

// The film of every test about sound tracks and subtitles, made once in
// `dir`: a solid blue 320x240 picture for `durationMs`, two sound tracks
//   1  English, "Main", a 440 Hz tone in Vorbis, stereo
//   2  French, "Dub", a 1000 Hz tone in AC-3, 5.1
// and two subtitle tracks, English then French, each a cue a second
// (kEnglishCue and kFrenchCue) from the start to the end.
std::filesystem::path MakeLanguagesFilm(const std::filesystem::path& dir, int durationMs);

inline constexpr const char* kEnglishCue = "HELLO WORLD";
inline constexpr const char* kFrenchCue = "BONJOUR CAFÉ";
inline constexpr int kEnglishToneHz = 440;
inline constexpr int kFrenchToneHz = 1000;

// The same blue picture with one sound track and no subtitles of its own.
std::filesystem::path MakePlainFilm(const std::filesystem::path& dir, int durationMs);

}  // namespace kelto::testing
