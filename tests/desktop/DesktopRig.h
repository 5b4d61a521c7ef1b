#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace kelto::testing {

// Generous ceilings: a loaded two-core machine, maybe under sanitizers.
constexpr int kStartMs = 60000;
constexpr int kStepMs = 30000;

// Waits, running the event loop, until `done` holds or `ms` have passed.
bool WaitUntil(const std::function<bool()>& done, int ms = kStepMs);

// A session bus of the test's own: a dbus-daemon started for it and ended
// with it, so that no test sees the desktop's bus or another test's players.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return address_; }
    // The test's own connection to it.
    QDBusConnection connection() const;

    // A method call to `service` on the player's object, answered or failed
    // within the step ceiling.
    QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& args = {}) const;
    QVariant PlayerProperty(const QString& service, const QString& name) const;
    // A call to the bus itself.
    QDBusMessage BusCall(const QString& method, const QVariantList& args = {}) const;
    bool HasName(const QString& name) const;

private:
    QProcess daemon_;
    QString address_;
    QString connectionName_;
};

// A stand-in for the desktop's screen saver on the private bus: hands out a
// cookie per Inhibit and keeps those not yet released.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit FakeScreenSaver(const PrivateBus& bus);

    int inhibitCalls() const { return inhibitCalls_; }
    int active() const { return static_cast<int>(active_.size()); }

public slots:
    Q_SCRIPTABLE uint Inhibit(const QString& application, const QString& reason);
    Q_SCRIPTABLE void UnInhibit(uint cookie);

private:
    uint next_ = 1;
    int inhibitCalls_ = 0;
    QSet<uint> active_;
};

// The real program, build/bin/kelto-player, headless in `folder`, with the
// private bus as its session bus (or none), and what it wrote on standard
// error.
class PlayerProcess {
public:
    // `busAddress` empty: no session bus at all.
    PlayerProcess(const QString& folder, const QString& busAddress, const QString& runtimeDir,
                  const QStringList& args);
    ~PlayerProcess();

    QProcess& process() { return process_; }
    qint64 pid() const { return process_.processId(); }
    bool WaitForExit(int ms = kStepMs);
    QString StandardError();

private:
    QProcess process_;
    QString standardError_;
};

// playerctl on the private bus for the player named kelto_player; returns
// its standard output without the final line end, "<exit N>" on failure.
QString Playerctl(const PrivateBus& bus, const QStringList& args);

}  // namespace kelto::testing
