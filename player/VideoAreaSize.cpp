#include "player/VideoAreaSize.h"

#include <algorithm>
#include <cmath>

#include "mci/CheckedArithmetic.h"
#include "ui/Form1.h"
#include "ui/Twips.h"

namespace kelto::player {

std::optional<TwipsSize> VideoAreaTwips(std::int32_t width, std::int32_t height, std::int32_t left,
                                        std::int32_t top) {
    const auto widthTwips = mci::Mul32(width, ui::kTwipsPerPixel);
    const auto heightTwips = mci::Mul32(height, ui::kTwipsPerPixel);
    if (!widthTwips || !heightTwips || width <= 0 || height <= 0) return std::nullopt;
    // At least a pixel of room, so that an area moved near the edge still shows something.
    const std::int32_t roomWidth = std::max(ui::Form1::kWidthTwips - left, ui::kTwipsPerPixel);
    const std::int32_t roomHeight = std::max(ui::Form1::kHeightTwips - top, ui::kTwipsPerPixel);
    if (*widthTwips <= roomWidth && *heightTwips <= roomHeight) {
        return TwipsSize{*widthTwips, *heightTwips};
    }
    // Whole pixels, so that the service draws the picture at exactly the area's size.
    const double scale = std::min(static_cast<double>(roomWidth) / *widthTwips,
                                  static_cast<double>(roomHeight) / *heightTwips);
    auto pixels = [scale](std::int32_t side) {
        return std::max(1, static_cast<int>(std::floor(side * scale + 1e-9)));
    };
    return TwipsSize{pixels(width) * ui::kTwipsPerPixel, pixels(height) * ui::kTwipsPerPixel};
}

}  // namespace kelto::player
