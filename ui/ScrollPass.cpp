#include "ui/ScrollPass.h"

#include <QDataStream>
#include <QEvent>
#include <QIODevice>
#include <QRegion>
#include <chrono>
#include <cmath>
#include <optional>
#include <utility>

#include "ui/FrameReel.h"

namespace kelto::ui {

namespace {

constexpr const char* kNoReelFor = "kelto-no-reel-for";

// Where the surface's drawing area shows in its native window, or none
// where frames cannot simply be copied there.
std::optional<FrameReel::Target> ReelTarget(const PictureBox& surface) {
    const qreal ratio = surface.devicePixelRatioF();
    // At a fractional scale the toolkit places the strip on rounded device
    // pixels of its own choosing; frames would not land where it paints.
    if (ratio < 1 || std::floor(ratio) != ratio || !surface.isVisible()) return std::nullopt;
    const QWidget* native = surface.internalWinId() != 0 ? &surface : surface.nativeParentWidget();
    if (native == nullptr || native->internalWinId() == 0) return std::nullopt;
    // Windows of their own above the strip (a video area) are clipped by the
    // server; widgets drawn into the same window are not, so what the strip's
    // siblings cover is left out. Deeper nesting is not worked out.
    if (native != &surface && surface.parentWidget() != native) return std::nullopt;
    const QRect area = surface.drawingArea();
    QRegion visible(area);
    if (native != &surface) {
        const QObjectList& siblings = native->children();
        for (qsizetype i = siblings.indexOf(const_cast<PictureBox*>(&surface)) + 1;
             i > 0 && i < siblings.size(); ++i) {
            const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
            if (sibling != nullptr && !sibling->isWindow() && sibling->isVisible() &&
                sibling->internalWinId() == 0) {
                visible -= sibling->geometry().translated(-surface.pos());
            }
        }
    }
    const int scale = static_cast<int>(ratio);
    FrameReel::Target target;
    target.window = static_cast<std::uint32_t>(native->internalWinId());
    target.topLeft = surface.mapTo(native, area.topLeft()) * scale;
    for (const QRect& r : visible) {
        const QRect local = r.translated(-area.topLeft());
        target.visible.emplace_back(local.topLeft() * scale, local.size() * scale);
    }
    return target;
}

}  // namespace

ScrollPass::ScrollPass(PictureBox* surface, QString text, double delay, double amplitude)
    : QObject(surface),
      surface_(surface),
      delaySeconds_(std::isfinite(delay) && delay > 0 ? delay * 0.01 : 0.0),
      amplitude_(amplitude),
      text_(std::move(text)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ScrollPass::onTimer);
}

// The reel stays on the surface for the next pass of the same title.
ScrollPass::~ScrollPass() {
    if (reel_) reel_->Stop();
}

void ScrollPass::start() {
    if (running_ || surface_.isNull()) return;
    // Count characters, not UTF-16 units: a character outside the basic plane
    // must move as one, not as two broken halves.
    characters_.clear();
    for (char32_t code : text_.toUcs4()) characters_.push_back(QString::fromUcs4(&code, 1));
    const double pitch = surface_->fontSize() / 10.0;
    endX_ = std::floor(pitch * -static_cast<double>(characters_.size()));
    startX_ = std::floor(surface_->scaleWidth());
    // Both ends are whole numbers, so the half steps land on the end exactly.
    frameCount_ = std::max(1, static_cast<int>(std::lround((startX_ - endX_) / kStep)) + 1);
    framesDrawn_ = 0;
    running_ = true;
    if (!playFromReel()) waitForNextFrame();
}

void ScrollPass::cancel() {
    if (!running_) return;
    timer_.stop();
    if (reel_) {
        reel_->Stop();
        followReel();
        reel_ = nullptr;
    }
    finish();
}

int ScrollPass::framesDrawn() const { return reel_ ? reel_->Shown() : framesDrawn_; }

double ScrollPass::X() const {
    const int drawn = framesDrawn();
    return drawn == 0 ? startX_ : xOfFrame(drawn - 1);
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
    const double left = delaySeconds_ - static_cast<double>(frameClock_.nsecsElapsed()) / 1e9;
    if (left > 0) {
        timer_.start(static_cast<int>(std::ceil(left * 1000.0)));
        return;
    }
    const double x = xOfFrame(framesDrawn_++);
    DrawFrame(*surface_, characters_, x, amplitude_);
    // Shown now, in this turn of the event loop rather than the next; a
    // window that is minimised keeps the frame until it is shown again.
    surface_->repaint(surface_->drawingArea());
    emit frameDrawn(x);
    if (!running_) return;  // a listener may have cancelled
    if (framesDrawn_ >= frameCount_) {
        finish();
    } else {
        waitForNextFrame();
    }
}

void ScrollPass::DrawFrame(PictureBox& surface, const std::vector<QString>& characters, double x,
                           double amplitude) {
    surface.cls();
    const double height = surface.scaleHeight();
    const double pitch = surface.fontSize() / 10.0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const double index = static_cast<double>(i);
        surface.setCurrentX(pitch * index + x);
        surface.setCurrentY(height / 2.0 - 1.0 +
                            std::sin((index + x) * kWavePhasePerCell) * amplitude);
        surface.print(characters[i]);
    }
}

bool ScrollPass::playFromReel() {
    const std::optional<FrameReel::Target> target = ReelTarget(*surface_);
    if (!target || surface_->property(kNoReelFor).toUInt() == target->window) return false;
    auto* reel = surface_->findChild<FrameReel*>(QString(), Qt::FindDirectChildrenOnly);
    if (reel != nullptr && reel->window() != target->window) {
        delete reel;
        reel = nullptr;
    }
    if (reel == nullptr && (reel = FrameReel::Create(surface_, target->window)) == nullptr) {
        // Not asked again for this window: the answer would be the same.
        surface_->setProperty(kNoReelFor, target->window);
        return false;
    }
    // Everything a frame's pixels depend on: a reel made for the same key
    // holds the very frames this pass would make.
    QByteArray key;
    QDataStream keyStream(&key, QIODevice::WriteOnly);
    keyStream << text_ << amplitude_ << startX_ << frameCount_ << surface_->drawingArea().size()
              << surface_->devicePixelRatioF() << surface_->drawFont() << surface_->foreColor()
              << surface_->backColor();
    const PictureBox::Printed before = surface_->printed();
    bool drew = false;
    const int scale = static_cast<int>(surface_->devicePixelRatioF());
    const bool loaded =
        reel->Load(key, surface_->drawingArea().size() * scale, frameCount_, [&](int index) {
            drew = true;
            DrawFrame(*surface_, characters_, xOfFrame(index), amplitude_);
            return surface_->drawingAreaImage();
        });
    if (drew) surface_->restore(before);
    if (!loaded) return false;
    reel_ = reel;
    followed_ = 0;
    surface_->installEventFilter(this);
    surface_->window()->installEventFilter(this);
    const auto delay = std::chrono::milliseconds(std::lround(delaySeconds_ * 1000.0));
    reel->Play(0, delay, *target, [this] {
        if (!running_ || !reel_) return;
        followReel();
        reel_ = nullptr;
        framesDrawn_ = frameCount_;
        finish();
    });
    return true;
}

void ScrollPass::followReel() {
    if (surface_.isNull() || !reel_) return;
    const int shown = reel_->Shown();
    if (shown <= followed_) return;
    followed_ = shown;
    DrawFrame(*surface_, characters_, xOfFrame(shown - 1), amplitude_);
}

void ScrollPass::leaveReel() {
    if (!reel_) return;
    reel_->Stop();
    followReel();
    framesDrawn_ = reel_->Shown();
    reel_ = nullptr;
    if (framesDrawn_ >= frameCount_) {
        finish();
    } else {
        waitForNextFrame();
    }
}

bool ScrollPass::eventFilter(QObject* watched, QEvent* event) {
    if (!reel_ || surface_.isNull()) return false;
    const QEvent::Type type = event->type();
    if (watched == surface_.data()) {
        if (type == QEvent::Paint) {
            followReel();
        } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Hide ||
                   type == QEvent::ParentChange || type == QEvent::WinIdChange) {
            leaveReel();
        }
    } else if (watched == surface_->window() && type == QEvent::Hide &&
               !surface_->window()->isVisible()) {
        // Closed rather than minimised: the pass ends as it does on the
        // window's thread, at its next frame.
        leaveReel();
    }
    return false;
}

void ScrollPass::finish() {
    running_ = false;
    if (!surface_.isNull()) {
        surface_->removeEventFilter(this);
        surface_->window()->removeEventFilter(this);
    }
    emit finished();
}

}  // namespace kelto::ui
