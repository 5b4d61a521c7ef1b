#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "app/PlayerApp.h"
#include "app/ServiceTrace.h"
#include "desktop/FolderClaim.h"
#include "history/HistoryStore.h"
#include "mciservice/MediaContentProbe.h"
#include "playlist/PlaylistEditor.h"

int main(int argc, char** argv) {
    kelto::app::InstallServiceTrace();
    const kelto::app::CommandLineAnswer early =
        kelto::app::AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.forget) {
        bool ok = false;
        const QString said = kelto::history::HistoryStore::Forget(
            kelto::history::HistoryStore::DefaultFolder(), &ok);
        std::fputs(said.toLocal8Bit().constData(), ok ? stdout : stderr);
        return ok ? 0 : 1;
    }
    if (early.finish) {
        std::fputs(early.text.c_str(), early.status == 0 ? stdout : stderr);
        return early.status;
    }
    if (const int status = kelto::app::PrepareDisplay(); status != 0) return status;
    QApplication application(argc, argv);

    // Read again without the toolkit's own options, which it has taken out.
    std::vector<std::string> rest;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        rest.push_back(arg.toStdString());
    const kelto::app::CommandLineAnswer answer = kelto::app::AnswerCommandLine(rest);
    std::fputs(answer.text.c_str(), stderr);
    QStringList given;
    for (const std::string& file : answer.files) given.append(QString::fromStdString(file));
    // Files that are not media are named here, before they could be handed
    // to a player already running in this folder.
    const QStringList files = kelto::playlist::PlaylistEditor::Acceptable(
        given, *kelto::app::PlayerApp::MakeMediaProbe());

    const QDBusConnection bus = QDBusConnection::sessionBus();
    kelto::desktop::FolderClaim claim(QDir::currentPath(), bus);
    const kelto::desktop::FolderClaim::Result claimed = claim.Claim(files);
    if (!claimed.message.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(claimed.message));
    switch (claimed.outcome) {
        case kelto::desktop::FolderClaim::Outcome::HandedOver:
            return 0;
        case kelto::desktop::FolderClaim::Outcome::Refused:
            return 1;
        case kelto::desktop::FolderClaim::Outcome::Run:
            break;
    }

    kelto::app::PlayerApp player;
    player.EnableHistory(kelto::history::HistoryStore::DefaultFolder());
    if (bus.isConnected()) player.EnableDesktop(bus);
    QObject::connect(&claim, &kelto::desktop::FolderClaim::filesArrived, &application,
                     [&player](const QStringList& paths) { player.OpenFiles(paths); });
    player.Start();
    if (!files.isEmpty()) player.OpenFiles(files);
    return QApplication::exec();
}
