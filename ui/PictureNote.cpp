#include "ui/PictureNote.h"

#include <QEvent>
#include <algorithm>

#include "ui/Form1.h"
#include "ui/WindowFonts.h"

namespace kelto::ui {

namespace {

// Pixels from the picture's edges, and the text's height as a share of the
// picture's: readable in the window, not shouting full screen.
constexpr int kMargin = 6;
constexpr int kPadding = 4;
constexpr int kSmallestTextPx = 12;
constexpr int kLargestTextPx = 36;
constexpr int kPictureHeightsPerText = 16;

}  // namespace

PictureNote::PictureNote(Form1& form)
    : QObject(&form), form_(form), picture_(form.Picture1), label_(new QLabel(&form)) {
    // The picture is a window of its own; only a window can stand over it.
    label_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    label_->setAttribute(Qt::WA_NativeWindow);
    label_->setAutoFillBackground(true);
    QPalette pal = label_->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 0));
    pal.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label_->setPalette(pal);
    label_->setContentsMargins(kPadding, 0, kPadding, 0);
    label_->setFocusPolicy(Qt::NoFocus);
    label_->hide();
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, this, &PictureNote::Hide);
    picture_->installEventFilter(this);
}

// The video area may be gone by now (the window's children go in turn); a
// filter goes with its object.
PictureNote::~PictureNote() = default;

bool PictureNote::OverPicture() const { return form_.state.videoWidth > 0; }

void PictureNote::Show(const QString& text, std::chrono::milliseconds shownFor) {
    if (!OverPicture()) {
        Hide();
        form_.Announce(text);
        return;
    }
    label_->setText(text);
    label_->setAccessibleName(text);
    Place();
    label_->show();
    label_->raise();
    hide_.start(shownFor);
}

void PictureNote::Hide() {
    hide_.stop();
    if (label_) label_->hide();
}

bool PictureNote::IsShown() const { return label_ && label_->isVisible(); }

QString PictureNote::Text() const { return label_ ? label_->text() : QString(); }

void PictureNote::Place() {
    if (!picture_ || !label_) return;
    const QRect picture = picture_->geometry();
    const int textPx =
        std::clamp(picture.height() / kPictureHeightsPerText, kSmallestTextPx, kLargestTextPx);
    QFont font = PixelFont(QStringLiteral("Tahoma"), 8.25, true);
    font.setPixelSize(textPx);
    label_->setFont(font);
    label_->adjustSize();
    const QSize wanted = label_->sizeHint();
    // Never wider than the picture, so it never lies over the controls beside it.
    const int width = std::min(wanted.width(), std::max(picture.width() - 2 * kMargin, 1));
    label_->setGeometry(picture.x() + kMargin, picture.y() + kMargin, width, wanted.height());
}

bool PictureNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && label_ && label_->isVisible()) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
                Place();
                break;
            case QEvent::ZOrderChange:
                // Full screen lifts the picture over everything: lift the text over it.
                label_->raise();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelto::ui
