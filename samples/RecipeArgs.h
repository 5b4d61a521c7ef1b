#pragma once

#include <optional>
#include <string>
#include <vector>

#include "samples/ClipEncoder.h"

namespace kelto::samples {

// A recipe as command-line words (kind=vob ms=2000 size=320x240 sound=tone
// clock=0 solid=none), so that a clip can be made by a process of its own.
std::vector<std::string> RecipeToArgs(const ClipRecipe& recipe);

// The recipe those words describe; nullopt when a word is missing, unknown or
// malformed. Ranges are left to the encoder to refuse.
std::optional<ClipRecipe> RecipeFromArgs(const std::vector<std::string>& words);

}  // namespace kelto::samples
