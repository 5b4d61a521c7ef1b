#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "ui/FrameReel.h"
#include "ui/PictureBox.h"

namespace kelto::ui {

// One pass of a title across a picture box, animated by a frame timer so that
// the window keeps handling its events between frames. X, the first
// character's left edge in character cells, runs from the whole width of the
// drawing area down to the point where the last character has left, in half
// cells; each character rides a sine wave whose phase moves with X.
//
// On X11 the frames of a title are drawn once, kept on the server and copied
// into the window in turn, paced by the server itself (see FrameReel), so a
// frame costs neither a repaint nor a turn of the window's event loop; the
// next pass of the same title reuses them. The surface's own text follows
// whenever it is painted or a frame is reported. Wherever that cannot be done (another
// window system, a moved or resized strip, a fractional scale) the pass
// draws each frame on the window's thread as the surface's own repaint.
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
    // X of the frame drawn last (startX before the first frame).
    double X() const;
    int framesDrawn() const;
    int frameCount() const { return frameCount_; }

    // Draws on `surface` the frame whose first character's left edge is at x.
    static void DrawFrame(PictureBox& surface, const std::vector<QString>& characters, double x,
                          double amplitude);
    // The characters of `text` and where a pass of them on `surface` begins
    // and ends, with the surface's current font size and scale.
    struct Plan {
        std::vector<QString> characters;
        double startX = 0;
        double endX = 0;
        int frameCount = 1;
    };
    static Plan PlanFor(const PictureBox& surface, const QString& text);
    // The frames of such a pass as they go to the server, or nullptr where
    // they cannot (see the class comment). Kept on the surface for the next
    // pass of the same title.
    static std::shared_ptr<FrameReel> ReelFor(PictureBox& surface, const Plan& plan,
                                              double amplitude);
    // Where the surface's drawing area shows in its native window, or none
    // where frames cannot simply be copied there.
    static std::optional<FrameReel::Target> ReelTarget(const PictureBox& surface);

signals:
    void frameDrawn(double x);
    void finished();

protected:
    void connectNotify(const QMetaMethod& signal) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double xOfFrame(int index) const { return startX_ - kStep * index; }
    void onTimer();
    void drawFrame(double x);
    void waitForNextFrame();
    void finish();
    bool playFromReel();
    // Called from the pacing thread through the event queue.
    Q_INVOKABLE void onReelFrame(int index);
    Q_INVOKABLE void onReelEnded();
    // Stops the reel and goes on, where it stopped, on the window's thread.
    void leaveReel();
    void stopReel();
    // Brings the surface's text up to the last frame the reel showed.
    void followReel();

    QPointer<PictureBox> surface_;
    double delaySeconds_;
    double amplitude_;
    QString text_;
    std::vector<QString> characters_;
    double startX_ = 0;
    double endX_ = 0;
    double x_ = 0;
    int frameCount_ = 0;
    int framesDrawn_ = 0;
    bool running_ = false;
    QTimer timer_;
    QElapsedTimer frameClock_;

    std::shared_ptr<FrameReel> reel_;
    bool onReel_ = false;
    int followed_ = 0;
    PictureBox::Printed before_;
    std::atomic<bool> reportFrames_{false};
};

}  // namespace kelto::ui
