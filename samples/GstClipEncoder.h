#pragma once

#include <chrono>
#include <filesystem>

#include "samples/ClipEncoder.h"

namespace kelto::samples {

// How long one attempt at `recipe` may take, and how many attempts an encode
// makes, before it gives up.
std::chrono::milliseconds EncodeAttemptBound(const ClipRecipe& recipe);
inline constexpr int kEncodeAttempts = 3;

// Encodes `recipe` into `target` in this process, retrying a start that fails
// or an encode that stalls. Throws std::runtime_error when every attempt
// failed. The MPEG multiplexer ends the whole process instead when it rejects
// its input, so callers that must survive that run this in a process of its
// own (see EncoderProcess.h).
void EncodeWithGStreamer(const ClipRecipe& recipe, const std::filesystem::path& target);

}  // namespace kelto::samples
