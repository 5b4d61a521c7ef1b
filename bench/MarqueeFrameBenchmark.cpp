// CPU of one frame of the scrolling title, all threads of the process, beside
// what the event loop and the window system charge for any frame at that pace:
//   timer     the 30 ms pause alone, restarted after each frame;
//   repaint   the same, clearing and repainting the strip with no text;
//   marquee   a whole pass of a 20-character title as the window runs it,
//             its frames already made by an earlier pass of the same title;
//   first     making those frames, once per title, as its first pass starts.
// Prints one line "timer T repaint R marquee M first F", the first three in
// microseconds a frame, the last in microseconds.
// Needs a display (the benchmark script starts one); QT_QPA_PLATFORM=offscreen
// leaves out the window system's share.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

#include "ui/PictureBox.h"
#include "ui/basScroller.h"

namespace {

double CpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Runs `frames` frames of `step` paced as a pass paces them; CPU a frame.
template <typename Step>
double Paced(int frames, Step step) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    int done = 0;
    QEventLoop loop;
    double start = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (done == 0) start = CpuMicros();
        step();
        if (++done == frames) {
            loop.quit();
        } else {
            timer.start(30);
        }
    });
    timer.start(30);
    loop.exec();
    return (CpuMicros() - start) / (frames - 1);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(460, 550);
    auto* strip = new kelto::ui::PictureBox(&window);
    strip->setGeometry(224, 49, 232, 35);
    strip->setBackColor(QColor(0, 255, 0));
    strip->setBorder(true);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 60000)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }

    const QString title = QStringLiteral("Kelto Sound of Sixty");
    // Warm-up: fonts and glyphs are loaded once per run, not per title.
    if (auto* pass = kelto::ui::ScrollText(strip, QStringLiteral("warm-up"), 12, 0, 0.1,
                                           QColor(0, 0, 255))) {
        QSignalSpy(pass, &kelto::ui::ScrollPass::finished).wait(60000);
    }
    // A pass makes its title's frames as it starts.
    double firstPass = CpuMicros();
    auto* first = kelto::ui::ScrollText(strip, title, 12, 0, 0.1, QColor(0, 0, 255));
    firstPass = CpuMicros() - firstPass;
    if (first != nullptr) QSignalSpy(first, &kelto::ui::ScrollPass::finished).wait(60000);

    double marqueeStart = 0;
    int frames = 0;
    double marquee = 0;
    if (auto* pass = kelto::ui::ScrollText(strip, title, 12, 3, 0.1, QColor(0, 0, 255))) {
        marqueeStart = CpuMicros();
        QSignalSpy finished(pass, &kelto::ui::ScrollPass::finished);
        frames = pass->frameCount();
        finished.wait(120000);
        marquee = (CpuMicros() - marqueeStart) / frames;
    }
    if (frames < 2) {
        std::fprintf(stderr, "no pass ran\n");
        return 1;
    }
    const double timer = Paced(frames, [] {});
    const double repaint = Paced(frames, [&] {
        strip->cls();
        strip->repaint(strip->drawingArea());
    });
    std::printf("timer %.1f repaint %.1f marquee %.1f first %.0f\n", timer, repaint, marquee,
                firstPass);
    return 0;
}
