#include <gtest/gtest.h>

#include "status/FullScreenKeys.h"
#include "tests/support/player/PlayerRig.h"
#include "ui/Twips.h"

namespace kelto::testing {
namespace {

using Strings = std::vector<std::string>;

constexpr int kEscape = 27, kF1 = 112, kF2 = 113, kF3 = 114, kF4 = 115;

// "/m/a.avi" (352 x 288) playing full screen, the window shown.
struct FullScreen : PlayerRig {
    FullScreen() {
        AddEntries({"/m/a.avi"});
        Select(0);
        form.show();
        playback.PlaySelectedFullScreen();
        TakeCommands();
    }
    std::string PutAtVideoArea() const {
        return "put movie window at 0 0 " + std::to_string(form.Picture1->width()) + " " +
               std::to_string(form.Picture1->height());
    }
    status::FullScreenKeys keys{form, mm, playback};
};

void ExpectBackInTheWindow(const FullScreen& rig) {
    EXPECT_FALSE(rig.form.isMaximisedState());
    EXPECT_EQ(ui::LeftTwips(rig.form.Picture1), 1365);
    EXPECT_EQ(ui::TopTwips(rig.form.Picture1), 4095);
    EXPECT_EQ(rig.form.focusWidget(), rig.form.List1);
    // The key box lies below the video area again, out of the picture.
    EXPECT_EQ(rig.form.childAt(rig.form.txtfull->geometry().center()), rig.form.Picture1);
}

// Escape and F3 leave full screen, with or without Shift; only F3 stops.
TEST(FullScreenKeys, EscapeAndF3ReturnToTheWindow) {
    for (const int key : {kEscape, kF3}) {
        for (const int shift : {0, 1}) {
            SCOPED_TRACE(std::to_string(key) + " shift " + std::to_string(shift));
            FullScreen rig;
            rig.playback.TogglePause();
            rig.TakeCommands();
            rig.form.LbResult->setText(QStringLiteral("before"));

            rig.keys.txtfull_KeyDown(key, shift);

            ExpectBackInTheWindow(rig);
            // The return place leaves 369 x 277 pixels of room: the 352 x 288
            // picture is made to fit it, keeping its shape.
            EXPECT_EQ(rig.form.Picture1->size(), QSize(338, 277));
            Strings expected{"Where movie destination", rig.PutAtVideoArea()};
            if (key == kF3) expected.insert(expected.begin(), "Stop movie");
            EXPECT_EQ(rig.TakeCommands(), expected);
            EXPECT_EQ(rig.form.asxToolbar1->ButtonChecked(2), key == kEscape);
            EXPECT_EQ(rig.form.LbResult->text(),
                      key == kF3 ? "Result calling Function is : Success" : "before");
        }
    }
}

TEST(FullScreenKeys, F3StopsTheStatusTimer) {
    FullScreen rig;
    rig.keys.txtfull_KeyDown(kF3, 0);
    EXPECT_FALSE(rig.form.TimerMisc->isActive());
}

// With no picture to measure (the file was closed) the area moves but keeps
// its full-screen size.
TEST(FullScreenKeys, EscapeWithoutPictureKeepsTheSize) {
    FullScreen rig;
    const QSize full = rig.form.Picture1->size();
    rig.mm.CloseAllMedia();
    rig.keys.txtfull_KeyDown(kEscape, 0);
    ExpectBackInTheWindow(rig);
    EXPECT_EQ(rig.form.Picture1->size(), full);
}

// F2 and F4 toggle without leaving full screen; F1 restarts the entry in full
// screen; other keys do nothing.
TEST(FullScreenKeys, TransportKeysStayInFullScreen) {
    const struct {
        int key;
        Strings sent;
    } cases[] = {
        {kF2, {"Pause movie", "Resume movie"}},
        {kF4, {"set movie speed 400", "set movie speed 1000"}},
        {65, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        FullScreen rig;
        rig.keys.txtfull_KeyDown(c.key, 2);
        rig.keys.txtfull_KeyDown(c.key, 0);
        EXPECT_EQ(rig.TakeCommands(), c.sent);
        EXPECT_TRUE(rig.form.isMaximisedState());
    }
    FullScreen rig;
    rig.keys.txtfull_KeyDown(kF1, 0);
    const Strings sent = rig.TakeCommands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "Close All");
    EXPECT_EQ(sent.back(), rig.PutAtVideoArea());
    EXPECT_TRUE(rig.form.isMaximisedState());
    EXPECT_EQ(rig.form.focusWidget(), rig.form.txtfull);
}

}  // namespace
}  // namespace kelto::testing
