#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "samples/ClipEncoder.h"

namespace kelto::testing {

// The clip generator is the product's own (samples/); tests add a shared
// folder and reuse of clips already made.
using ClipKind = kelto::samples::ClipKind;
using kelto::samples::ExtensionOf;  // ".mp3", ".mp2", ".wav", ".mid", ".mpg", ".avi", ".vob", ...
using kelto::samples::HasPicture;

// Creates (once; reused if already there) a short clip of that kind in `dir`
// and returns its path. Video clips are 320x240 at 25 fps, a test pattern with
// a tone. Clips appear under their final name only when complete, so tests
// running in parallel may share a folder. Throws std::runtime_error if the clip
// cannot be made.
std::filesystem::path MakeClip(ClipKind kind, const std::filesystem::path& dir,
                               int durationMs = 1000);

// The same for a clip with pictures (320x240, 25 fps, with a tone; MPEG-1
// unless `kind` says otherwise) whose every picture is the one colour `rgb`
// (0xRRGGBB), so that a screenshot shows exactly where the picture lands.
std::filesystem::path MakeSolidClip(std::uint32_t rgb, const std::filesystem::path& dir,
                                    int durationMs = 1000, ClipKind kind = ClipKind::Mpeg1);

// The clip `recipe` describes, made once (as above) as `dir` / `name`.
std::filesystem::path MakeRecipeClip(const samples::ClipRecipe& recipe,
                                     const std::filesystem::path& dir, const std::string& name);

// The elements a clip of that kind is made with that this machine lacks
// (none when it can be made): a test of the kind says so and skips it.
std::vector<std::string> MissingElementsFor(ClipKind kind);

// A folder under the build tree shared by every test that needs clips.
std::filesystem::path DefaultClipDir();

}  // namespace kelto::testing
