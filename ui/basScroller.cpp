#include "ui/basScroller.h"

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

// Where the surface's drawing area shows in its native window, or none
// where frames cannot simply be copied there.
std::optional<FrameReel::Target> ReelTarget(const PictureBox& surface) {
    const qreal ratio = surface.devicePixelRatioF();
    const QWidget* native = surface.internalWinId() != 0 ? &surface : surface.nativeParentWidget();
    // At a fractional scale the toolkit places the strip on rounded device
    // pixels of its own choosing; frames would not land where it paints.
    if (ratio < 1 || std::floor(ratio) != ratio || native == nullptr ||
        native->internalWinId() == 0 || !surface.window()->isVisible()) {
        return std::nullopt;
    }
    const int scale = static_cast<int>(ratio);
    const QRect area = surface.drawingArea();
    FrameReel::Target target{static_cast<std::uint32_t>(native->internalWinId()),
                             surface.mapTo(native, area.topLeft()) * scale,
                             {}};
    // Windows of their own above the strip (a video area) are clipped by the
    // server; opaque widgets over it in the same window are left out, as the
    // toolkit leaves them out of the strip's painting (one that lets the strip
    // show through would be painted over). A hidden strip shows nothing.
    for (const QRect& r : surface.visibleRegion() & area) {
        target.visible.emplace_back((r.topLeft() - area.topLeft()) * scale, r.size() * scale);
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
    running_ = true;
    // The server's play follows the strip wherever it goes mid-pass.
    surface_->installEventFilter(this);
    runFrom(0);
}

void ScrollPass::cancel() {
    if (!running_) return;
    timer_.stop();
    leaveReel();
    finish();
}

int ScrollPass::framesDrawn() const { return reel_ ? reel_->Shown() : framesDrawn_; }

void ScrollPass::runFrom(int next) {
    framesDrawn_ = next;
    if (next >= frameCount_) {
        finish();
    } else if (!playFromReel(next)) {
        waitForNextFrame();
    }
}

void ScrollPass::waitForNextFrame() {
    // The pause comes before each frame. The toolkit's timers run on the
    // monotonic clock and never fire early, so neither midnight nor a change
    // of the wall clock shortens or stretches it.
    timer_.start(static_cast<int>(std::ceil(delaySeconds_ * 1000.0)));
}

void ScrollPass::onTimer() {
    // A window that was never shown is not drawn on.
    if (!surface_->window()->isVisible()) {
        finish();
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

bool ScrollPass::playFromReel(int first) {
    const std::optional<FrameReel::Target> target = ReelTarget(*surface_);
    if (!target) return false;
    auto* reel = surface_->findChild<FrameReel*>(QString(), Qt::FindDirectChildrenOnly);
    if (reel != nullptr && reel->window() != target->window) {
        delete reel;
        reel = nullptr;
    }
    if (reel == nullptr && (reel = FrameReel::Create(surface_, target->window)) == nullptr) {
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
    const auto delay = std::chrono::milliseconds(std::lround(delaySeconds_ * 1000.0));
    reel->Play(first, delay, *target, [this] { runFrom(leaveReel()); });
    return true;
}

void ScrollPass::followReel() {
    if (!reel_) return;
    const int shown = reel_->Shown();
    if (shown <= framesDrawn_) return;
    framesDrawn_ = shown;
    DrawFrame(*surface_, characters_, xOfFrame(shown - 1), amplitude_);
}

int ScrollPass::leaveReel() {
    if (!reel_) return framesDrawn_;
    reel_->Stop();
    followReel();
    reel_ = nullptr;
    return framesDrawn_;
}

bool ScrollPass::eventFilter(QObject* watched, QEvent* event) {
    if (!running_) return false;
    if (qobject_cast<PictureBox*>(watched) == nullptr) {
        // The surface is being destroyed (a widget hides itself on its way
        // out) and is a picture box no more: nothing of it may be touched.
        // The pass goes with it, as its child.
        running_ = false;
        timer_.stop();
        if (reel_) reel_->Stop();
        return false;
    }
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint) {
        followReel();
    } else if (type == QEvent::Hide && !surface_->window()->isVisible()) {
        // The window was closed rather than minimised: the pass ends.
        cancel();
    } else if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
               type == QEvent::Hide || type == QEvent::ParentChange ||
               type == QEvent::WinIdChange) {
        // The rest of the pass, where the strip now stands.
        timer_.stop();
        runFrom(leaveReel());
    }
    return false;
}

void ScrollPass::finish() {
    running_ = false;
    surface_->removeEventFilter(this);
    emit finished();
}

ScrollPass* RunningPass(const PictureBox* surface) {
    if (surface == nullptr) return nullptr;
    for (ScrollPass* pass :
         surface->findChildren<ScrollPass*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (pass->running()) return pass;
    }
    return nullptr;
}

ScrollPass* ScrollText(PictureBox* surface, const QString& text, std::int16_t fontSize,
                       double delay, double amplitude, const QColor& textColour) {
    if (surface == nullptr || RunningPass(surface) != nullptr) return nullptr;
    surface->setScaleMode(PictureBox::ScaleMode::Characters);
    surface->setFontName(QStringLiteral("Courier New"));
    surface->setFontSize(fontSize);
    surface->setFontBold(false);
    surface->setFontItalic(false);
    surface->setFontUnderline(false);
    surface->setForeColor(textColour);
    auto* pass = new ScrollPass(surface, text, delay, amplitude);
    QObject::connect(pass, &ScrollPass::finished, pass, &QObject::deleteLater);
    pass->start();
    return pass;
}

void StopScrolling(PictureBox* surface) {
    if (ScrollPass* pass = RunningPass(surface)) pass->cancel();
}

}  // namespace kelto::ui
