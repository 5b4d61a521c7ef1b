#include "desktop/MprisService.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "desktop/MprisAdaptors.h"

namespace kelto::desktop {

MprisService::MprisService(QDBusConnection bus, MediaCommands& commands, PlaybackWatch& watch,
                           QObject* parent)
    : QObject(parent), bus_(std::move(bus)), watch_(watch), root_(std::make_unique<MprisObject>()) {
    new MprisRootAdaptor(root_.get(), commands);
    player_ = new MprisPlayerAdaptor(root_.get(), commands, watch);
    connect(&watch, &PlaybackWatch::changed, this, &MprisService::Announce);
    if (!bus_.isConnected()) return;
    bus_.registerObject(QString::fromLatin1(kObjectPath), root_.get(),
                        QDBusConnection::ExportAdaptors);
    QDBusConnectionInterface* names = bus_.interface();
    if (names == nullptr) return;
    const QString plain = QString::fromLatin1(kBusName);
    const QString own =
        plain + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
    for (const QString& name : {plain, own}) {
        const auto reply = names->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            busName_ = name;
            break;
        }
    }
}

MprisService::~MprisService() {
    if (!bus_.isConnected()) return;
    if (!busName_.isEmpty()) bus_.unregisterService(busName_);
    bus_.unregisterObject(QString::fromLatin1(kObjectPath));
}

void MprisService::AnnounceSeek() {
    const std::int64_t us = watch_.PositionUs();
    if (us >= 0) emit player_->Seeked(us);
}

void MprisService::Announce(const PlaybackSnapshot& before, const PlaybackSnapshot& now) {
    if (!bus_.isConnected()) return;
    const QVariantMap was = MprisPlayerAdaptor::PropertiesOf(before);
    const QVariantMap is = MprisPlayerAdaptor::PropertiesOf(now);
    QVariantMap changed;
    for (auto it = is.cbegin(); it != is.cend(); ++it) {
        if (was.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    bus_.send(signal);
}

}  // namespace kelto::desktop
