#pragma once

#include <filesystem>

namespace kelto::samples {

// Marks the picture track of the MP4 file at `path` as stored on its side, as
// a phone holding its camera upright writes it: the track header's matrix
// says to turn the picture a quarter clockwise for showing. The encoder
// writes no such matrix itself. Throws std::runtime_error when the file
// cannot be read or written, or holds no picture track.
void TurnMp4PictureClockwise(const std::filesystem::path& path);

}  // namespace kelto::samples
