// Runs on an X server of its own: whether a window is covered is the window
// system's word, which the offscreen platform never gives.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <string>

#include "ui/CoveredWindow.h"

namespace kelto::ui {
namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A window whose label changes every 30 ms, as the status labels do while a
// file plays; another window covers it wholly and goes again.
TEST(CoveredWindow, PaintsNothingWhileCoveredAndPaintsAgainWhenShown) {
    QWidget window;
    window.setGeometry(0, 0, 460, 200);
    auto* label = new QLabel(&window);
    label->setGeometry(10, 10, 200, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 60000));
    auto* watch = new CoveredWindow(&window);
    QSignalSpy changes(watch, &CoveredWindow::coveredChanged);
    PaintCounter counter;
    label->installEventFilter(&counter);
    int ticks = 0;
    QTimer status;
    QObject::connect(&status, &QTimer::timeout, [&] { label->setNum(++ticks); });
    status.start(30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints >= 3; }, 60000));

    QWidget cover;
    cover.setGeometry(0, 0, 600, 300);
    cover.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch->covered(); }, 60000));
    EXPECT_FALSE(window.updatesEnabled());
    counter.paints = 0;
    const int ticksBefore = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= ticksBefore + 10; }, 60000));
    EXPECT_EQ(counter.paints, 0);

    cover.hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch->covered(); }, 60000));
    EXPECT_TRUE(window.updatesEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 60000));
    ASSERT_GE(changes.size(), 2);
}

}  // namespace
}  // namespace kelto::ui

// Starts Xvfb on a display number it picks itself and stops it at the end.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    int ready[2];
    if (pipe(ready) != 0) return 1;
    const pid_t server = fork();
    if (server == 0) {
        // A test that aborts (a sanitizer's report) must not leave its server
        // holding the runner's output open.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 60000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        return 1;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int status = 0;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return status;
}
