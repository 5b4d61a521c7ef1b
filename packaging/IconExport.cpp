// Build-time tool: saves the window's loudspeaker icon as a PNG for the
// desktop's menus, drawn by the same code the window uses.
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "ui/WindowIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Drawing needs no screen; a build machine often has none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (!kelto::ui::LoudspeakerPicture().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
