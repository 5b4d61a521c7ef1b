#include "ui/ScrollPass.h"

#include <cmath>

#include "ui/PictureBox.h"

namespace kelto::ui {

ScrollPass::ScrollPass(PictureBox* surface, const QString& text, double delay, double amplitude)
    : QObject(surface),
      surface_(surface),
      delaySeconds_(std::isfinite(delay) && delay > 0 ? delay * 0.01 : 0.0),
      amplitude_(amplitude) {
    // Count characters, not UTF-16 units: a character outside the basic plane
    // must move as one, not as two broken halves.
    for (char32_t code : text.toUcs4()) characters_.push_back(QString::fromUcs4(&code, 1));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ScrollPass::onTimer);
}

void ScrollPass::start() {
    if (running_ || surface_.isNull()) return;
    const double pitch = surface_->fontSize() / 10.0;
    endX_ = std::floor(pitch * -static_cast<double>(characters_.size()));
    startX_ = std::floor(surface_->scaleWidth());
    x_ = startX_;
    // Both ends are whole numbers, so the half steps land on the end exactly.
    frameCount_ = static_cast<int>(std::lround((startX_ - endX_) / kStep)) + 1;
    if (frameCount_ < 1) frameCount_ = 1;
    framesDrawn_ = 0;
    running_ = true;
    waitForNextFrame();
}

void ScrollPass::cancel() {
    if (!running_) return;
    timer_.stop();
    finish();
}

void ScrollPass::waitForNextFrame() {
    // The pause comes before each frame; the clock is monotonic, so neither
    // midnight nor a change of the wall clock stretches it.
    frameClock_.start();
    timer_.start(static_cast<int>(std::ceil(delaySeconds_ * 1000.0)));
}

void ScrollPass::onTimer() {
    if (!running_) return;
    // A surface that is gone, or whose window was closed, is not drawn on.
    if (surface_.isNull() || !surface_->window()->isVisible()) {
        finish();
        return;
    }
    const double waited = static_cast<double>(frameClock_.nsecsElapsed()) / 1e9;
    if (waited < delaySeconds_) {
        const double left = delaySeconds_ - waited;
        timer_.start(static_cast<int>(std::ceil(left * 1000.0)));
        return;
    }
    const double x = startX_ - kStep * framesDrawn_;
    drawFrame(x);
    // Shown now, in this turn of the event loop rather than the next; a
    // window that is minimised keeps the frame until it is shown again.
    surface_->repaint(surface_->drawingArea());
    x_ = x;
    ++framesDrawn_;
    emit frameDrawn(x);
    if (!running_) return;  // a frameDrawn listener may have cancelled
    if (framesDrawn_ >= frameCount_) {
        finish();
    } else {
        waitForNextFrame();
    }
}

void ScrollPass::drawFrame(double x) {
    PictureBox& surface = *surface_;
    surface.cls();
    const double height = surface.scaleHeight();
    for (std::size_t i = 0; i < characters_.size(); ++i) {
        const double index = static_cast<double>(i);
        const double pitch = surface.fontSize() / 10.0;
        surface.setCurrentX(pitch * index + x);
        surface.setCurrentY(height / 2.0 - 1.0 +
                            std::sin((index + x) * kWavePhasePerCell) * amplitude_);
        surface.print(characters_[i]);
    }
}

void ScrollPass::finish() {
    running_ = false;
    emit finished();
}

}  // namespace kelto::ui
