#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/widgets/FileOpenDialog.h"
#include "platform/widgets/ListBox.h"
#include "platform/widgets/asxToolbar.h"
#include "platform/widgets/cpvSlider.h"
#include "ui/KeyTextBox.h"
#include "ui/Meter3.h"
#include "ui/PictureBox.h"
#include "ui/PlayerState.h"

namespace kelto::ui {

// The player's one window: borderless, 460 x 550, black and green. It owns
// every control and the player state; the behaviour behind the controls is
// connected from outside through the public members and signals.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidthTwips = 6900;
    static constexpr int kHeightTwips = 8250;
    // Five refreshes a second, so the elapsed time shown steps with the clock's seconds.
    static constexpr int kTimerMiscInterval = 200;
    // The end is polled (the service sends no notice); half a second late goes unnoticed.
    static constexpr int kTimerAtEndFileInterval = 500;
    // About one pass of a usual title, so the passes follow one another closely.
    static constexpr int kTimerscrollInterval = 5000;
    // Buttons of the transport bar asxToolbar1 whose checked flag is player
    // state: the pause state and the slow-motion state.
    static constexpr int kPauseButton = 2;
    static constexpr int kSlowMotionButton = 4;

    static const QString& Caption();
    static const QString& DialogFilter();

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Controls in the order they are created; null until then, for the
    // accessibility layer asks about widgets while the window is being built.
    Meter3* Meter31 = nullptr;
    PictureBox* Picture1 = nullptr;
    platform::asxToolbar* asxToolbar3 = nullptr;
    platform::asxToolbar* asxToolbar2 = nullptr;
    platform::ListBox* List2 = nullptr;
    platform::ListBox* List1 = nullptr;
    platform::cpvSlider* cpvSlider1 = nullptr;
    QTimer* Timerscroll = nullptr;
    PictureBox* Picture2 = nullptr;
    QTimer* TimerMisc = nullptr;
    QCheckBox* Check = nullptr;
    QTimer* TimerAtEndFile = nullptr;
    platform::asxToolbar* asxToolbar1 = nullptr;
    QPushButton* cmdclose = nullptr;
    QLineEdit* Text1 = nullptr;
    platform::FileOpenDialog* CommonDialog1 = nullptr;
    KeyTextBox* txtfull = nullptr;
    QLabel* lbcurrentime = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LbCurrentRate = nullptr;
    QLabel* LbTotalTime = nullptr;
    QLabel* LbTotalFrames = nullptr;
    QLabel* LbFramesPerSecond = nullptr;
    QLabel* LbActualCy = nullptr;
    QLabel* LbActualCx = nullptr;
    QLabel* LbProgress = nullptr;
    QLabel* LbResult = nullptr;

    PlayerState state;

    // Replaces the file-open dialog (tests put a scripted one in).
    void setCommonDialog(std::unique_ptr<platform::FileOpenDialog> dialog);

    // Native window id of the video area, as the media service takes it.
    std::int32_t Picture1Handle() const;

    // Maximised fills the screen's available area even where no window
    // manager acts on the request; normal puts back the geometry from before.
    // The window is maximised only in full screen, and while it is, the
    // keyboard focus stays in txtfull (a click on the picture or a Tab would
    // otherwise leave the full-screen keys without a receiver, and a borderless
    // window covering the screen without a way out), and presses do not drag.
    void setMaximised(bool maximised);
    bool isMaximisedState() const { return maximised_; }

    // Full screen lifts the video area above every other control; back in the
    // normal window it returns below them, with txtfull under it so that the
    // key box never cuts a hole into the picture.
    void setVideoAreaOnTop(bool onTop);

    // What a left press on the background or the video area does; DragForm by
    // default. Tests record the calls instead.
    void setDragHandler(std::function<void(QWidget*)> handler);

    // Mouse-down on the window's own surface or on Picture1, in the classic
    // codes (button 1 left, 2 right, 4 middle).
    void SurfaceMouseDown(int button, int shift);

    // One tick of Timerscroll: the strip notice when there is one, else the
    // selected title of List1 (or nothing), on a pass across Picture2.
    void TimerscrollTick();

    // The title strip is the window's one voice: says `text` at once, ending
    // a pass that is under way.
    void Announce(const QString& text);
    // While not empty, the strip's passes show this instead of the selected
    // title (a file that would not open says so until another one plays).
    void setStripNotice(const QString& text) { stripNotice_ = text; }
    const QString& stripNotice() const { return stripNotice_; }

signals:
    void txtfullKeyDown(int keyCode, int shift);
    void queryUnload();
    void unload();
    // The window manager has given the maximised window a new size, after the
    // window was maximised (the size comes later than the request).
    void maximisedResized();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createControls();
    void keepFocusInKeyBox(QWidget* now);

    std::unique_ptr<platform::FileOpenDialog> commonDialogOwner_;
    std::function<void(QWidget*)> dragHandler_;
    bool maximised_ = false;
    bool managedMaximise_ = false;
    QMetaObject::Connection focusWatch_;
    bool shownOnce_ = false;
    QPoint pressedAt_;  // on the screen, of the latest press that may start a drag
    QRect normalGeometry_;
    QString stripNotice_;
};

}  // namespace kelto::ui
