#include <gtest/gtest.h>

#include "app/DisplayCheck.h"
#include "ui/InputCodes.h"
#include "ui/Twips.h"

namespace kelto {
namespace {

TEST(DisplayCheck, PicksXWaylandOrStopsWithoutADisplay) {
    struct Case {
        const char* qpa;
        const char* display;
        const char* wayland;
        bool starts;
        std::string platform;
    };
    const std::vector<Case> cases = {
        {nullptr, ":0", nullptr, true, ""},
        {nullptr, ":0", "wayland-0", true, "xcb"},
        {nullptr, nullptr, "wayland-0", true, "xcb"},
        {"wayland", nullptr, "wayland-0", true, ""},  // the user's choice stands
        {"offscreen", nullptr, nullptr, true, ""},
        {nullptr, nullptr, nullptr, false, ""},
        {"", "", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.qpa ? c.qpa : "-") + "/" + (c.display ? c.display : "-") + "/" +
                     (c.wayland ? c.wayland : "-"));
        const app::DisplayDecision d = app::DecideDisplay(c.qpa, c.display, c.wayland);
        EXPECT_EQ(d.canStart, c.starts);
        EXPECT_EQ(d.platform, c.platform);
        if (!c.starts) {
            EXPECT_EQ(d.message.rfind("kelto-player: no display found; ", 0), 0u) << d.message;
            EXPECT_EQ(d.message.find('\n'), std::string::npos);
        }
    }
}

TEST(InputCodes, KeysButtonsAndShiftUseTheClassicNumbering) {
    const std::vector<std::pair<int, int>> keys = {
        {Qt::Key_Escape, 27}, {Qt::Key_F1, 112},  {Qt::Key_F4, 115},    {Qt::Key_F12, 123},
        {Qt::Key_A, 65},      {Qt::Key_Z, 90},    {Qt::Key_0, 48},      {Qt::Key_Return, 13},
        {Qt::Key_Left, 37},   {Qt::Key_Down, 40}, {Qt::Key_Delete, 46}, {Qt::Key_Space, 32},
        {Qt::Key_unknown, 0},
    };
    for (const auto& [qt, vk] : keys) EXPECT_EQ(ui::VirtualKeyCode(qt), vk) << qt;
    EXPECT_EQ(ui::MouseButtonCode(Qt::LeftButton), 1);
    EXPECT_EQ(ui::MouseButtonCode(Qt::RightButton), 2);
    EXPECT_EQ(ui::MouseButtonCode(Qt::MiddleButton), 4);
    EXPECT_EQ(ui::MouseButtonCode(Qt::BackButton), 0);
    EXPECT_EQ(ui::ShiftCode(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(ui::ShiftCode(Qt::ControlModifier | Qt::KeypadModifier), 2);
}

TEST(Twips, RoundToTheNearestPixel) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 0}, {7, 0}, {8, 1}, {1300, 87}, {3390, 226}, {-600, -40}, {-8, -1}, {6900, 460},
    };
    for (const auto& [twips, px] : cases) EXPECT_EQ(ui::TwipsToPixels(twips), px) << twips;
    EXPECT_EQ(ui::PixelsToTwips(460), 6900);
    EXPECT_EQ(ui::PixelsToTwips(1 << 30), std::numeric_limits<int>::max());
}

}  // namespace
}  // namespace kelto
