#pragma once

#include <cstdint>
#include <optional>

namespace kelto::player {

// A size in twips.
struct TwipsSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The size the video area takes, in twips, for a picture of `width` x `height`
// pixels whose area has its top left corner at `left`, `top` (twips) in the
// window of normal size. A picture that fits the room from there to the
// window's right and bottom edges keeps its own size, 15 twips a pixel; a
// larger one is made as large as fits that room, keeping its shape, so that
// the whole picture is seen rather than its top left corner. Nullopt for a
// size no area can take (not positive, or beyond 32 bits in twips).
std::optional<TwipsSize> VideoAreaTwips(std::int32_t width, std::int32_t height, std::int32_t left,
                                        std::int32_t top);

}  // namespace kelto::player
