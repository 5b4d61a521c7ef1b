#include "desktop/ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace kelto::desktop {

namespace {

QDBusMessage Call(const char* method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(ScreenSaverInhibitor::kService),
                                          QString::fromLatin1(ScreenSaverInhibitor::kPath),
                                          QString::fromLatin1(ScreenSaverInhibitor::kService),
                                          QString::fromLatin1(method));
}

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, PlaybackWatch& watch,
                                           QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    connect(
        &watch, &PlaybackWatch::changed, this,
        [this](const PlaybackSnapshot&, const PlaybackSnapshot& now) { Want(WantsInhibit(now)); });
    Want(WantsInhibit(watch.current()));
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() { Release(); }

bool ScreenSaverInhibitor::WantsInhibit(const PlaybackSnapshot& snapshot) {
    return snapshot.open && snapshot.video && snapshot.status == PlaybackStatus::Playing;
}

void ScreenSaverInhibitor::Release() { Want(false); }

void ScreenSaverInhibitor::Want(bool inhibit) {
    wanted_ = inhibit;
    Send();
}

void ScreenSaverInhibitor::Send() {
    if (!bus_.isConnected() || pending_) return;
    if (wanted_ && !cookie_) {
        QDBusMessage call = Call("Inhibit");
        call << QStringLiteral("kelto-player") << QStringLiteral("Playing a video");
        pending_ = true;
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* done) {
                    done->deleteLater();
                    pending_ = false;
                    const QDBusPendingReply<uint> reply = *done;
                    // No screen saver on the bus: try again at the next video.
                    if (reply.isError()) return;
                    cookie_ = reply.value();
                    Send();
                });
    } else if (!wanted_ && cookie_) {
        QDBusMessage call = Call("UnInhibit");
        call << *cookie_;
        cookie_.reset();
        bus_.send(call);
    }
}

}  // namespace kelto::desktop
