#include "ui/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QToolTip>

#include "platform/widgets/CommonDialog.h"
#include "platform/widgets/PropertyBag.h"
#include "ui/Accessibility.h"
#include "ui/InputCodes.h"
#include "ui/KeyboardAccess.h"
#include "ui/MediaKinds.h"
#include "ui/ModDragForm.h"
#include "ui/Twips.h"
#include "ui/WindowFonts.h"
#include "ui/WindowIcon.h"
#include "ui/WindowManager.h"
#include "ui/basScroller.h"

namespace kelto::ui {

namespace {

const QColor kGreen(0, 255, 0);
const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);

QFont Tahoma(double points = 8.25, bool bold = false) {
    return PixelFont(QStringLiteral("Tahoma"), points, bold);
}

QFont SansSerif() { return PixelFont(QStringLiteral("MS Sans Serif"), 8.25); }

void Colour(QWidget* widget, const QColor& text, const QColor& back) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::ButtonText, text);
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Base, back);
    pal.setColor(QPalette::Button, back);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

// The desktop's classic 2-pixel sunken edge; the widget style would draw its
// frame in shades of the black background, where it cannot be seen.
void ClassicSunkenEdge(QFrame* frame) {
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    pal.setColor(QPalette::Shadow, QColor(64, 64, 64));
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Midlight, QColor(212, 208, 200));
    frame->setPalette(pal);
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, int left, int top, int width, int height,
                  bool shown) {
    auto* label = new QLabel(caption, parent);
    setGeometryTwips(label, left, top, width, height);
    label->setVisible(shown);
    return label;
}

}  // namespace

const QString& Form1::Caption() {
    static const QString caption = QStringLiteral("Kelto Player 1.0");
    return caption;
}

const QString& Form1::DialogFilter() {
    // The descriptions' trailing blanks ("All audio ") are harmless: QtNameFilters trims them.
    // The player opens far more than the ten classic entries name (whatever the media
    // engine reads, judged by content), so three entries follow them: the playlist files
    // it reads, every kind it is known to open, and every file, for media whose name
    // says nothing.
    static const QString filter =
        QStringLiteral(
            "All audio |*.mp3;*.mp2;*.wav;*.midi;*.mid|All video |*.mpg;*.mpge;*.avi;*.vob|"
            "mp3 (*.mp3)|*.mp3|wav (*.wav)|*.wav|avi(*.avi)|*.avi|mpg(*.mpg)|*.mpg|"
            "mpge(*.mpge)|*.mpge|mid(*.mid)|*.mid|midi(*.midi)|*.midi|DVD(*.vob)|*.vob|"
            "Playlists|") +
        QLatin1String(kPlaylistFilePatterns.data(),
                      static_cast<qsizetype>(kPlaylistFilePatterns.size())) +
        QStringLiteral("|All media files|") +
        QLatin1String(kMediaFilePatterns.data(),
                      static_cast<qsizetype>(kMediaFilePatterns.size())) +
        QStringLiteral("|All files|*");
    return filter;
}

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      dragHandler_([this](QWidget* window) { DragForm(window, pressedAt_); }) {
    RegisterWindowFonts();
    setWindowTitle(Caption());
    setWindowIcon(LoudspeakerIcon());
    setFont(SansSerif());
    QToolTip::setFont(SansSerif());
    Colour(this, kGreen, kBlack);
    resize(TwipsToPixels(kWidthTwips), TwipsToPixels(kHeightTwips));
    createControls();
    EnableKeyboardAccess(*this);
    EnableAccessibility(*this);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget*, QWidget* now) { keepFocusInKeyBox(now); });
}

Form1::~Form1() {
    // The controls go in the base class's destructor and move the focus as
    // they go; by then this window is no longer one to keep it in.
    disconnect(focusWatch_);
}

void Form1::createControls() {
    Meter31 = new Meter3(this);
    Meter31->move(TwipsToPixels(105), TwipsToPixels(735));
    platform::PropertyBag meterSettings;
    meterSettings.WriteProperty(QStringLiteral("Border"), 0, Meter3::kDefaultBorder);
    Meter31->ReadProperties(meterSettings);

    Picture1 = new PictureBox(this);
    setGeometryTwips(Picture1, 1260, 3885, 3165, 2955);
    Picture1->setBackColor(kBlack);
    Picture1->setVideoSurface();
    Picture1->setFocusPolicy(Qt::StrongFocus);
    connect(Picture1, &PictureBox::MouseDown, this, [this](int button, int shift, int x, int y) {
        pressedAt_ = Picture1->mapToGlobal(QPoint(x, y));
        SurfaceMouseDown(button, shift);
    });

    asxToolbar3 = new platform::asxToolbar(this);
    setGeometryTwips(asxToolbar3, 5880, 0, 930, 330);
    asxToolbar3->setTextcolor(kGreen);
    asxToolbar3->setBackcolor(kBlack);
    asxToolbar3->setFont(SansSerif());
    asxToolbar3->setButtons(
        {{QStringLiteral("Close   "), QStringLiteral("close"), QStringLiteral("Close")}});

    asxToolbar2 = new platform::asxToolbar(this);
    setGeometryTwips(asxToolbar2, 105, 1575, 3315, 330);
    asxToolbar2->setTextcolor(kGreen);
    asxToolbar2->setBackcolor(kBlack);
    asxToolbar2->setFont(Tahoma());
    asxToolbar2->setButtongap(2);
    // Tooltips are fixed texts, "meddia" included; the layout test checks each letter for letter.
    asxToolbar2->setButtons({
        {QStringLiteral("Add to Playlist"), QStringLiteral("add"),
         QStringLiteral("Add media to playlist")},
        {QStringLiteral("Remove"), QStringLiteral("remove"),
         QStringLiteral("Remove meddia from playlist")},
        {QStringLiteral("Clear All"), QStringLiteral("clear"), QStringLiteral("Clear Playlist")},
    });

    List2 = new platform::ListBox(this);
    setGeometryTwips(List2, 4515, 2520, 2640, 1425);
    List2->setVisible(false);

    List1 = new platform::ListBox(this);
    setGeometryTwips(List1, 105, 1950, 3315, 1230);
    List1->setFont(Tahoma());
    Colour(List1, kGreen, kBlack);
    ClassicSunkenEdge(List1);

    cpvSlider1 = new platform::cpvSlider(this);
    setGeometryTwips(cpvSlider1, 0, 1300, 3390, 240);
    cpvSlider1->setRange(-1, 100);
    // Starts at -1, off the seek's scale, so moving it to any step 0..100 is a real seek.
    cpvSlider1->setValue(-1);
    cpvSlider1->setBackcolor(kBlack);

    Timerscroll = new QTimer(this);
    Timerscroll->setInterval(kTimerscrollInterval);
    connect(Timerscroll, &QTimer::timeout, this, &Form1::TimerscrollTick);

    Picture2 = new PictureBox(this);
    setGeometryTwips(Picture2, 3360, 735, 3480, 525);
    Picture2->setBackColor(kGreen);
    Picture2->setBorder(true);
    Picture2->setFocusPolicy(Qt::StrongFocus);

    TimerMisc = new QTimer(this);
    TimerMisc->setInterval(kTimerMiscInterval);

    Check = new QCheckBox(QStringLiteral("Auto Replay"), this);
    setGeometryTwips(Check, 3675, 1350, 1275, 225);
    Check->setFont(Tahoma());
    Colour(Check, kGreen, kBlack);
    {
        // The tick box itself keeps the usual white face and black tick, or it
        // would vanish on the black panel.
        QPalette pal = Check->palette();
        pal.setColor(QPalette::Base, QColor(255, 255, 255));
        pal.setColor(QPalette::Text, kBlack);
        Check->setPalette(pal);
    }
    Check->setChecked(false);

    TimerAtEndFile = new QTimer(this);
    TimerAtEndFile->setInterval(kTimerAtEndFileInterval);

    asxToolbar1 = new platform::asxToolbar(this);
    setGeometryTwips(asxToolbar1, 105, 380, 5790, 330);
    asxToolbar1->setTextcolor(kGreen);
    asxToolbar1->setBackcolor(kBlack);
    asxToolbar1->setFont(Tahoma());
    asxToolbar1->setButtongap(3);
    // Trailing blanks in the captions widen their buttons, spreading the bar across the row.
    asxToolbar1->setButtons({
        {QStringLiteral("Play         "), QStringLiteral("play"), QStringLiteral("Play   F1")},
        {QStringLiteral("Pause      "), QStringLiteral("pause"), QStringLiteral("Pause   F2")},
        {QStringLiteral("Stop          "), QStringLiteral("stop"), QStringLiteral("Stop   F3")},
        {QStringLiteral("Slow Motion"), QStringLiteral("forward"),
         QStringLiteral("Slow Motion  F4")},
        {QStringLiteral("Fullscreen   "), QStringLiteral("fullscreen"),
         QStringLiteral("Fullscreen")},
    });

    cmdclose = new QPushButton(QStringLiteral("Command1"), this);
    setGeometryTwips(cmdclose, 5985, 4305, 750, 435);
    cmdclose->setVisible(false);

    Text1 = new QLineEdit(QStringLiteral("Text1"), this);
    setGeometryTwips(Text1, 6300, 5880, 855, 330);
    Text1->setVisible(false);

    auto dialog = std::make_unique<platform::CommonDialog>(this);
    dialog->setFilter(DialogFilter());
    setCommonDialog(std::move(dialog));

    txtfull = new KeyTextBox(this);
    setGeometryTwips(txtfull, 3255, 4830, 960, 330);
    txtfull->setFrame(false);
    Colour(txtfull, kBlack, kBlack);
    txtfull->setFocusPolicy(Qt::StrongFocus);
    connect(txtfull, &KeyTextBox::KeyDown, this, &Form1::txtfullKeyDown);
    setVideoAreaOnTop(false);

    lbcurrentime = MakeLabel(this, QString(), 5145, 1350, 1170, 330, true);
    Colour(lbcurrentime, kGreen, kBlack);

    Label2 = MakeLabel(this, Caption(), 105, 0, 2325, 330, true);
    Label2->setFont(Tahoma(12, true));
    Colour(Label2, kGreen, kBlack);

    Label1 = MakeLabel(this, QStringLiteral("Label1"), 5670, 4935, 1485, 225, false);

    LbCurrentRate = MakeLabel(this, QString(), 525, 5565, 645, 330, false);
    LbCurrentRate->setFont(Tahoma());

    LbTotalTime = MakeLabel(this, QString(), 3045, 3255, 1275, 330, false);
    LbTotalTime->setFont(Tahoma());
    Colour(LbTotalTime, kGreen, kBlack);

    LbTotalFrames = MakeLabel(this, QString(), 525, 4830, 645, 330, false);
    LbTotalFrames->setFont(Tahoma());
    LbFramesPerSecond = MakeLabel(this, QString(), 525, 4410, 645, 330, false);
    LbFramesPerSecond->setFont(Tahoma());
    LbActualCy = MakeLabel(this, QString(), 630, 3990, 645, 330, false);
    LbActualCy->setFont(Tahoma());
    LbActualCx = MakeLabel(this, QString(), 525, 3570, 855, 330, false);
    LbActualCx->setFont(Tahoma());
    LbProgress = MakeLabel(this, QStringLiteral("Label1"), 6405, 1680, 5370, 435, false);
    LbResult = MakeLabel(this, QStringLiteral("Label1"), 3570, 1890, 3270, 330, false);

    TimerAtEndFile->start();
}

void Form1::setCommonDialog(std::unique_ptr<platform::FileOpenDialog> dialog) {
    commonDialogOwner_ = std::move(dialog);
    CommonDialog1 = commonDialogOwner_.get();
}

std::int32_t Form1::Picture1Handle() const {
    // X11 ids use at most 29 bits, so they survive the trip through a signed
    // 32-bit field unchanged.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Picture1->winId()));
}

void Form1::setMaximised(bool maximised) {
    if (maximised == maximised_) return;
    maximised_ = maximised;
    managedMaximise_ = WindowManagerRuns();
    if (managedMaximise_) {
        // The manager sizes the window and keeps the normal size to restore;
        // maximisedResized() reports the new size when it comes.
        setWindowState(maximised ? windowState() | Qt::WindowMaximized
                                 : windowState() & ~Qt::WindowMaximized);
        return;
    }
    if (maximised) {
        normalGeometry_ = geometry();
        QScreen* target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
        const QRect area = target != nullptr ? target->availableGeometry() : geometry();
        setWindowState(windowState() | Qt::WindowMaximized);
        // Set the size ourselves as well: without a window manager nobody acts
        // on the state, and the caller reads the new size straight away.
        setGeometry(area);
    } else {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        setGeometry(normalGeometry_);
    }
}

void Form1::setVideoAreaOnTop(bool onTop) {
    // The video area is a native window, and so is every control stacked above
    // it; only raise and lower restack native windows (stackUnder does not).
    if (onTop) {
        Picture1->raise();
        return;
    }
    Picture1->lower();
    // It only has to hold the keyboard focus; lying above the video area it
    // would cut a black hole into the picture.
    txtfull->lower();
}

void Form1::keepFocusInKeyBox(QWidget* now) {
    if (maximised_ && now != nullptr && now != txtfull && isAncestorOf(now)) {
        txtfull->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::setDragHandler(std::function<void(QWidget*)> handler) {
    dragHandler_ = std::move(handler);
}

void Form1::SurfaceMouseDown(int button, int) {
    // A window manager that restores a maximised window when it is dragged
    // would leave the normal window behind a screen-sized video area.
    if (maximised_) return;
    if (button == 1 && dragHandler_) dragHandler_(this);
}

void Form1::TimerscrollTick() {
    // The selection, read afresh each pass: the strip names what the user picked, playing or not.
    ScrollText(Picture2, stripNotice_.isEmpty() ? List1->text(List1->currentRow()) : stripNotice_,
               12, 3, 0.1, kBlue);
}

void Form1::Announce(const QString& text) {
    StopScrolling(Picture2);
    ScrollText(Picture2, text, 12, 3, 0.1, kBlue);
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (maximised_ && managedMaximise_) emit maximisedResized();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        Picture1->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // A marquee pass must not draw on a window that is going away.
    StopScrolling(Picture2);
    emit queryUnload();
    emit unload();
    event->accept();
}

void Form1::mousePressEvent(QMouseEvent* event) {
    // Presses that controls pass on (labels do) must not start a drag: only
    // the bare background counts.
    if (childAt(event->position().toPoint()) == nullptr) {
        pressedAt_ = event->globalPosition().toPoint();
        SurfaceMouseDown(MouseButtonCode(event->button()), ShiftCode(event->modifiers()));
    }
    event->accept();
}

}  // namespace kelto::ui
