#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelto::testing {

// Tags to write into a clip; empty texts and a track of 0 are left out.
struct ClipTags {
    std::string title;
    std::string artist;
    std::string album;
    unsigned track = 0;
    // Encoded picture bytes, written as the front cover.
    std::vector<std::uint8_t> cover;
};

// A PNG of `width` x `height` in the one colour `rgb` (0xRRGGBB).
std::vector<std::uint8_t> SolidPng(std::uint32_t rgb, int width = 64, int height = 64);

// Writes a tone of `durationMs` at `target`: MP3 with ID3v2 tags for a ".mp3"
// name, FLAC with its comments and picture block for ".flac". Throws
// std::runtime_error when the engine cannot make it.
void WriteTaggedClip(const std::filesystem::path& target, const ClipTags& tags,
                     int durationMs = 2000);

}  // namespace kelto::testing
