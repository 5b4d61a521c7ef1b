#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "ui/PictureBox.h"

namespace kelto::ui {

class FrameReel;

// The scrolling title of the strip: ScrollText (below) starts a pass, and a
// ScrollPass runs it.
//
// One pass of a title across a picture box. X, the first character's left
// edge in character cells, runs from the whole width of the drawing area down
// to the point where the last character has left, in half cells; each
// character rides a sine wave whose phase moves with X.
//
// On X11 every frame of the title is drawn once, by the surface's own
// painting, kept on the X server and played there (FrameReel): the window's
// thread does not wake for a frame, and the next pass of the same title
// reuses the frames. A strip that moves, is resized, hidden or shown
// mid-pass has the rest of the pass played again from the frame it had got
// to, as it now stands. Elsewhere (another window system, a fractional
// scale) the window's thread draws each frame after its pause, letting other
// events run in between.
class ScrollPass : public QObject {
    Q_OBJECT
public:
    static constexpr double kStep = 0.5;
    static constexpr double kWavePhasePerCell = 0.7;

    // Becomes a child of the surface; it dies with it.
    ScrollPass(PictureBox* surface, QString text, double delay, double amplitude);
    ~ScrollPass() override;

    void start();
    // Ends the pass at once, drawing nothing more.
    void cancel();

    bool running() const { return running_; }
    double startX() const { return startX_; }
    double endX() const { return endX_; }
    int frameCount() const { return frameCount_; }
    // Frames whose time has come.
    int framesDrawn() const;

    // Draws on `surface` the frame whose first character's left edge is at x.
    static void DrawFrame(PictureBox& surface, const std::vector<QString>& characters, double x,
                          double amplitude);

signals:
    // A frame drawn by the window's thread, after the surface has shown it.
    void frameDrawn(double x);
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double xOfFrame(int index) const { return startX_ - kStep * index; }
    // Goes on from frame `next`, on the X server where it can.
    void runFrom(int next);
    void waitForNextFrame();
    void onTimer();
    bool playFromReel(int first);
    // Brings the surface's own text up to the frame the server shows.
    void followReel();
    // Stops the server's play where it had got to; the frames it showed.
    int leaveReel();
    void finish();

    QPointer<PictureBox> surface_;
    double delaySeconds_;
    double amplitude_;
    QString text_;
    std::vector<QString> characters_;
    double startX_ = 0;
    double endX_ = 0;
    int frameCount_ = 0;
    int framesDrawn_ = 0;
    bool running_ = false;
    QTimer timer_;
    QPointer<FrameReel> reel_;
};

// Starts one pass of `text` across `surface` in `fontSize`-point Courier New
// of `textColour`, pausing `delay` hundredths of a second before each frame,
// the characters riding a wave `amplitude` character cells high. The surface
// keeps the character-cell unit, font and colour afterwards. The pass runs on
// the event loop and the call returns at once; while a pass is running on the
// surface a further call is ignored, so passes never overlap.
// Returns the pass, or nullptr when none was started.
ScrollPass* ScrollText(PictureBox* surface, const QString& text, std::int16_t fontSize,
                       double delay, double amplitude, const QColor& textColour);

// The pass currently running on `surface`, if any.
ScrollPass* RunningPass(const PictureBox* surface);

// Ends any pass on `surface` without drawing again.
void StopScrolling(PictureBox* surface);

}  // namespace kelto::ui
