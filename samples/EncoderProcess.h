#pragma once

#include <filesystem>

#include "samples/ClipEncoder.h"

namespace kelto::samples {

// Encodes `recipe` into `target` in a child process running the clip tool
// (kelto-make-clip, or the program KELTO_MAKE_CLIP_TOOL names), so that an
// encoder ending its process on bad input ends only the child. A child that
// fails, is killed or outlives a generous bound is retried twice in a fresh
// process; then std::runtime_error says how the last attempt ended. The
// caller's thread waits, with that bound, for each child.
void EncodeInOwnProcess(const ClipRecipe& recipe, const std::filesystem::path& target);

}  // namespace kelto::samples
