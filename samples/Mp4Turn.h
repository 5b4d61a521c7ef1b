#pragma once

#include <filesystem>
#include <string_view>

namespace kelto::samples {

// Marks the picture track of the MP4 file at `path` as stored on its side, as
// a phone holding its camera upright writes it: the track header's matrix
// says to turn the picture a quarter clockwise for showing. The encoder
// writes no such matrix itself. Throws std::runtime_error when the file
// cannot be read or written, or holds no picture track.
void TurnMp4PictureClockwise(const std::filesystem::path& path);

// Gives the MP4 file at `path` another major brand (four characters, "M4B "
// for an audiobook, "3g2a" for a 3GPP2 film), as the tools that write those
// kinds do; the boxes are those of any MP4. Throws std::runtime_error when the
// file cannot be read or written, or does not start with a file type.
void SetMp4MajorBrand(const std::filesystem::path& path, std::string_view brand);

}  // namespace kelto::samples
