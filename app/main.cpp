#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/PlayerApp.h"

int main(int argc, char** argv) {
    const kelto::app::CommandLineAnswer answer =
        kelto::app::AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (answer.finish) {
        std::fputs(answer.text.c_str(), answer.status == 0 ? stdout : stderr);
        return answer.status;
    }
    if (const int status = kelto::app::PrepareDisplay(); status != 0) return status;
    QApplication application(argc, argv);
    kelto::app::PlayerApp player;
    player.Start();
    return QApplication::exec();
}
