#include "ui/ScrollPass.h"

#include <QEvent>
#include <QMetaMethod>
#include <QRegion>
#include <cmath>
#include <utility>

#include "ui/X11Connection.h"

namespace kelto::ui {

namespace {

// Everything a reel's pixels depend on: a pass that matches it in all of
// these would draw the very same frames.
struct ReelKey {
    std::vector<QString> characters;
    double amplitude = 0;
    double startX = 0;
    int frameCount = 0;
    QSize area;
    qreal ratio = 1;
    QFont font;
    QColor fore;
    QColor back;
    std::uint32_t window = 0;

    bool operator==(const ReelKey&) const = default;
};

// The last reel made on a surface, a child of it so that it goes with it.
class ReelShelf : public QObject {
public:
    static constexpr const char* kName = "kelto-frame-reel";
    explicit ReelShelf(QObject* surface) : QObject(surface) { setObjectName(kName); }
    ReelKey key;
    std::shared_ptr<FrameReel> reel;
};

ReelShelf* ShelfOf(PictureBox& surface) {
    for (QObject* child : surface.children()) {
        if (child->objectName() == ReelShelf::kName) return static_cast<ReelShelf*>(child);
    }
    return new ReelShelf(&surface);
}

bool Whole(qreal value) { return value > 0 && std::floor(value) == value; }

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

// The reel stays on the surface for the next pass, which may be playing it by now.
ScrollPass::~ScrollPass() {
    if (onReel_) stopReel();
}

ScrollPass::Plan ScrollPass::PlanFor(const PictureBox& surface, const QString& text) {
    Plan plan;
    // Count characters, not UTF-16 units: a character outside the basic plane
    // must move as one, not as two broken halves.
    for (char32_t code : text.toUcs4()) plan.characters.push_back(QString::fromUcs4(&code, 1));
    const double pitch = surface.fontSize() / 10.0;
    plan.endX = std::floor(pitch * -static_cast<double>(plan.characters.size()));
    plan.startX = std::floor(surface.scaleWidth());
    // Both ends are whole numbers, so the half steps land on the end exactly.
    plan.frameCount = static_cast<int>(std::lround((plan.startX - plan.endX) / kStep)) + 1;
    if (plan.frameCount < 1) plan.frameCount = 1;
    return plan;
}

void ScrollPass::start() {
    if (running_ || surface_.isNull()) return;
    Plan plan = PlanFor(*surface_, text_);
    characters_ = std::move(plan.characters);
    startX_ = plan.startX;
    endX_ = plan.endX;
    frameCount_ = plan.frameCount;
    x_ = startX_;
    framesDrawn_ = 0;
    running_ = true;
    if (!playFromReel()) waitForNextFrame();
}

void ScrollPass::cancel() {
    if (!running_) return;
    timer_.stop();
    if (onReel_) {
        stopReel();
        followReel();
        onReel_ = false;
    }
    finish();
}

double ScrollPass::X() const {
    if (!onReel_) return x_;
    const int shown = reel_->Shown();
    return shown == 0 ? startX_ : xOfFrame(shown - 1);
}

int ScrollPass::framesDrawn() const { return onReel_ ? reel_->Shown() : framesDrawn_; }

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
    const double x = xOfFrame(framesDrawn_);
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

void ScrollPass::drawFrame(double x) { DrawFrame(*surface_, characters_, x, amplitude_); }

std::optional<FrameReel::Target> ScrollPass::ReelTarget(const PictureBox& surface) {
    const qreal ratio = surface.devicePixelRatioF();
    // At a fractional scale the toolkit places the strip on rounded device
    // pixels of its own choosing; frames would not land where it paints.
    if (!Whole(ratio) || !surface.isVisible()) return std::nullopt;
    const QWidget* native = surface.internalWinId() != 0 ? &surface : surface.nativeParentWidget();
    if (native == nullptr || native->internalWinId() == 0) return std::nullopt;
    const QRect area = surface.drawingArea();
    // Windows of their own above the strip (a video area) are clipped by the
    // server; widgets drawn into the same window are not, so what the strip's
    // siblings cover is left out. Deeper nesting is not worked out.
    if (native != &surface && surface.parentWidget() != native) return std::nullopt;
    QRegion visible(area);
    if (native != &surface) {
        const QObjectList& siblings = native->children();
        for (qsizetype i = siblings.indexOf(const_cast<PictureBox*>(&surface)) + 1;
             i > 0 && i < siblings.size(); ++i) {
            const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
            if (sibling == nullptr || sibling->isWindow() || !sibling->isVisible() ||
                sibling->internalWinId() != 0) {
                continue;
            }
            visible -= sibling->geometry().translated(-surface.pos());
        }
    }
    FrameReel::Target target;
    target.window = static_cast<std::uint32_t>(native->internalWinId());
    const QPoint at = native == &surface ? area.topLeft() : surface.mapTo(native, area.topLeft());
    const int scale = static_cast<int>(ratio);
    target.topLeft = at * scale;
    for (const QRect& r : visible) {
        const QRect local = r.translated(-area.topLeft());
        target.visible.emplace_back(local.topLeft() * scale, local.size() * scale);
    }
    return target;
}

std::shared_ptr<FrameReel> ScrollPass::ReelFor(PictureBox& surface, const Plan& plan,
                                               double amplitude) {
    xcb_connection_t* connection = ToolkitXcbConnection();
    const std::optional<FrameReel::Target> target = ReelTarget(surface);
    if (connection == nullptr || !target) return nullptr;
    const QSize deviceSize =
        surface.drawingArea().size() * static_cast<int>(surface.devicePixelRatioF());
    const ReelKey key{plan.characters,    amplitude,           plan.startX,
                      plan.frameCount,    deviceSize,          surface.devicePixelRatioF(),
                      surface.drawFont(), surface.foreColor(), surface.backColor(),
                      target->window};
    ReelShelf* shelf = ShelfOf(surface);
    if (shelf->reel && shelf->key == key) return shelf->reel;
    // One reel a surface: the old title's frames go before the new ones come.
    shelf->reel.reset();
    std::shared_ptr<FrameReel> reel =
        FrameReel::Create(connection, target->window, deviceSize, plan.frameCount);
    if (!reel) return nullptr;
    PictureBox::Printed before = surface.printed();
    for (int i = 0; i < plan.frameCount; ++i) {
        DrawFrame(surface, plan.characters, plan.startX - kStep * i, amplitude);
        reel->Put(i, surface.drawingAreaImage());
    }
    surface.restore(std::move(before));
    shelf->key = key;
    shelf->reel = reel;
    return reel;
}

bool ScrollPass::playFromReel() {
    reel_ = ReelFor(*surface_, {characters_, startX_, endX_, frameCount_}, amplitude_);
    const std::optional<FrameReel::Target> target = reel_ ? ReelTarget(*surface_) : std::nullopt;
    if (!target) {
        reel_.reset();
        return false;
    }
    before_ = surface_->printed();
    followed_ = 0;
    onReel_ = true;
    surface_->installEventFilter(this);
    surface_->window()->installEventFilter(this);
    // Queued calls carry the frames back to this thread, and are dropped if
    // this object has gone by then. Frames are reported one by one only to a
    // listener there was at the start; without one, the server paces the whole pass and nothing
    // here wakes until its end.
    std::function<void(int)> shown;
    if (reportFrames_.load()) {
        shown = [this](int index) {
            QMetaObject::invokeMethod(this, "onReelFrame", Qt::QueuedConnection, Q_ARG(int, index));
        };
    }
    reel_->Play(0, std::chrono::nanoseconds(static_cast<std::int64_t>(delaySeconds_ * 1e9)),
                *target, std::move(shown),
                [this] { QMetaObject::invokeMethod(this, "onReelEnded", Qt::QueuedConnection); });
    return true;
}

void ScrollPass::stopReel() {
    if (reel_) reel_->Stop();
}

void ScrollPass::followReel() {
    if (surface_.isNull() || !reel_) return;
    const int shown = reel_->Shown();
    if (shown == followed_) return;
    followed_ = shown;
    if (shown == 0) {
        surface_->restore(before_);
    } else {
        drawFrame(xOfFrame(shown - 1));
    }
}

void ScrollPass::onReelFrame(int index) {
    if (!running_ || surface_.isNull()) return;
    // The surface shows this frame's text while its listeners look.
    const double x = xOfFrame(index);
    drawFrame(x);
    followed_ = index + 1;
    emit frameDrawn(x);
}

void ScrollPass::onReelEnded() {
    if (!running_ || !onReel_) return;
    stopReel();
    followReel();
    onReel_ = false;
    framesDrawn_ = frameCount_;
    x_ = endX_;
    finish();
}

void ScrollPass::leaveReel() {
    if (!onReel_) return;
    stopReel();
    followReel();
    onReel_ = false;
    framesDrawn_ = reel_->Shown();
    x_ = framesDrawn_ == 0 ? startX_ : xOfFrame(framesDrawn_ - 1);
    if (framesDrawn_ >= frameCount_) {
        finish();
    } else {
        waitForNextFrame();
    }
}

void ScrollPass::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&ScrollPass::frameDrawn)) reportFrames_ = true;
}

bool ScrollPass::eventFilter(QObject* watched, QEvent* event) {
    if (!onReel_ || surface_.isNull()) return false;
    if (watched == surface_.data()) {
        switch (event->type()) {
            case QEvent::Paint:
                followReel();
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Hide:
            case QEvent::ParentChange:
            case QEvent::WinIdChange:
                leaveReel();
                break;
            default:
                break;
        }
    } else if (watched == surface_->window() && event->type() == QEvent::Hide &&
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
