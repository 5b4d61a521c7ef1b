#include "tests/desktop/DesktopRig.h"

#include <QDBusError>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcessEnvironment>
#include <QTest>
#include <QUuid>
#include <stdexcept>

namespace kelto::testing {

namespace {

constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";

QProcessEnvironment BusEnvironment(const QString& busAddress) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (busAddress.isEmpty()) {
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    } else {
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    }
    return env;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

PrivateBus::PrivateBus() {
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(kStartMs)) throw std::runtime_error("dbus-daemon did not start");
    WaitUntil([&] { return daemon_.canReadLine() || daemon_.state() == QProcess::NotRunning; },
              kStartMs);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) throw std::runtime_error("dbus-daemon gave no address");
    connectionName_ = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
    if (!connection().isConnected()) throw std::runtime_error("cannot reach the private bus");
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(connectionName_);
    daemon_.terminate();
    if (!daemon_.waitForFinished(kStepMs)) daemon_.kill();
    daemon_.waitForFinished(kStepMs);
}

QDBusConnection PrivateBus::connection() const {
    return QDBusConnection::connectToBus(address_, connectionName_);
}

QDBusMessage PrivateBus::Call(const QString& service, const QString& path, const QString& interface,
                              const QString& method, const QVariantList& args) const {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(args);
    // Sent without blocking and waited for here, with the event loop running
    // (the stand-in screen saver answers from it) and a ceiling of our own: a
    // blocking call was seen to wait past its timeout under the sanitizers.
    const QDBusPendingCall pending = connection().asyncCall(call, kStepMs);
    if (!WaitUntil([&] { return pending.isFinished(); }, kStepMs + kStepMs / 2)) {
        return call.createErrorReply(QDBusError::Timeout, QStringLiteral("no answer in time"));
    }
    return pending.reply();
}

QVariant PrivateBus::PlayerProperty(const QString& service, const QString& name) const {
    const QDBusMessage reply = Call(
        service, QString::fromLatin1(kMprisPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"), {QStringLiteral("org.mpris.MediaPlayer2.Player"), name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QDBusMessage PrivateBus::BusCall(const QString& method, const QVariantList& args) const {
    return Call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), method, args);
}

bool PrivateBus::HasName(const QString& name) const {
    const QDBusMessage reply = BusCall(QStringLiteral("NameHasOwner"), {name});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toBool();
}

FakeScreenSaver::FakeScreenSaver(const PrivateBus& bus) {
    QDBusConnection connection = bus.connection();
    connection.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                              QDBusConnection::ExportScriptableSlots);
    // 4: do not queue behind an owner; 1 in the reply: now the owner.
    const QDBusMessage reply = bus.BusCall(QStringLiteral("RequestName"),
                                           {QStringLiteral("org.freedesktop.ScreenSaver"), 4u});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().value(0).toUInt() != 1) {
        throw std::runtime_error("cannot stand in for the screen saver");
    }
}

uint FakeScreenSaver::Inhibit(const QString&, const QString&) {
    ++inhibitCalls_;
    active_.insert(next_);
    return next_++;
}

void FakeScreenSaver::UnInhibit(uint cookie) { active_.remove(cookie); }

PlayerProcess::PlayerProcess(const QString& folder, const QString& busAddress,
                             const QString& runtimeDir, const QStringList& args) {
    QProcessEnvironment env = BusEnvironment(busAddress);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    // Covers go to a cache of the test's own.
    env.insert(QStringLiteral("XDG_CACHE_HOME"), runtimeDir + QStringLiteral("/cache"));
    // The history is the test's own, kept across the starts of one test.
    env.insert(QStringLiteral("XDG_STATE_HOME"), runtimeDir + QStringLiteral("/state"));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(folder);
    process_.setProgram(QStringLiteral(KELTO_PLAYER_BINARY));
    process_.setArguments(args);
    process_.start();
    if (!process_.waitForStarted(kStartMs)) throw std::runtime_error("the player did not start");
}

PlayerProcess::~PlayerProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kStepMs);
    }
}

bool PlayerProcess::WaitForExit(int ms) {
    return WaitUntil([&] { return process_.state() == QProcess::NotRunning; }, ms);
}

QString PlayerProcess::StandardError() {
    standardError_ += QString::fromLocal8Bit(process_.readAllStandardError());
    return standardError_;
}

QString Playerctl(const PrivateBus& bus, const QStringList& args) {
    QProcess playerctl;
    playerctl.setProcessEnvironment(BusEnvironment(bus.address()));
    playerctl.setProgram(QStringLiteral("playerctl"));
    playerctl.setArguments(QStringList{QStringLiteral("--player=kelto_player")} + args);
    playerctl.start();
    if (!playerctl.waitForStarted(kStepMs)) return QStringLiteral("<not started>");
    WaitUntil([&] { return playerctl.state() == QProcess::NotRunning; });
    if (playerctl.state() != QProcess::NotRunning) {
        playerctl.kill();
        playerctl.waitForFinished(kStepMs);
        return QStringLiteral("<hung>");
    }
    if (playerctl.exitStatus() != QProcess::NormalExit || playerctl.exitCode() != 0) {
        return QStringLiteral("<exit %1: %2>")
            .arg(playerctl.exitCode())
            .arg(QString::fromLocal8Bit(playerctl.readAllStandardError()).trimmed());
    }
    return QString::fromLocal8Bit(playerctl.readAllStandardOutput()).trimmed();
}

}  // namespace kelto::testing
