#include <QApplication>

#include "app/DisplayCheck.h"
#include "ui/Form1.h"

int main(int argc, char** argv) {
    if (const int status = kelto::app::PrepareDisplay(); status != 0) return status;
    QApplication app(argc, argv);
    kelto::ui::Form1 window;
    window.show();
    return QApplication::exec();
}
