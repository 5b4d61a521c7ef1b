#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <vector>

namespace kelto::ui {

class PictureBox;

// One pass of a title across a picture box, animated by a frame timer so that
// the window keeps handling its events between frames. X, the first
// character's left edge in character cells, runs from the whole width of the
// drawing area down to the point where the last character has left, in half
// cells; each character rides a sine wave whose phase moves with X.
class ScrollPass : public QObject {
    Q_OBJECT
public:
    static constexpr double kStep = 0.5;
    static constexpr double kWavePhasePerCell = 0.7;

    // Becomes a child of the surface; it dies with it.
    ScrollPass(PictureBox* surface, const QString& text, double delay, double amplitude);

    void start();
    // Ends the pass at once, drawing nothing more.
    void cancel();

    bool running() const { return running_; }
    double startX() const { return startX_; }
    double endX() const { return endX_; }
    // X of the frame drawn last (startX before the first frame).
    double X() const { return x_; }
    int framesDrawn() const { return framesDrawn_; }
    int frameCount() const { return frameCount_; }

signals:
    void frameDrawn(double x);
    void finished();

private:
    void onTimer();
    void drawFrame(double x);
    void waitForNextFrame();
    void finish();

    QPointer<PictureBox> surface_;
    std::vector<QString> characters_;
    double delaySeconds_;
    double amplitude_;
    double startX_ = 0;
    double endX_ = 0;
    double x_ = 0;
    int frameCount_ = 0;
    int framesDrawn_ = 0;
    bool running_ = false;
    QTimer timer_;
    QElapsedTimer frameClock_;
};

}  // namespace kelto::ui
