#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

#include "desktop/PlaybackWatch.h"

namespace kelto::desktop {

// Keeps the desktop from blanking the screen while a picture plays: asks the
// session's org.freedesktop.ScreenSaver to inhibit when a video starts
// playing, and lets go on pause, stop, the end, a sound file and close. Calls
// never wait on the window's thread; a release wanted while the inhibit is
// still on its way is sent as soon as the cookie comes back. Without a screen
// saver on the bus nothing happens.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.ScreenSaver";
    static constexpr const char* kPath = "/org/freedesktop/ScreenSaver";

    ScreenSaverInhibitor(QDBusConnection bus, PlaybackWatch& watch, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    // Whether the player wants the screen kept on now.
    static bool WantsInhibit(const PlaybackSnapshot& snapshot);

    // Lets go now, whatever plays (the window is closing).
    void Release();

private:
    void Want(bool inhibit);
    void Send();

    QDBusConnection bus_;
    bool wanted_ = false;
    bool pending_ = false;
    std::optional<uint> cookie_;
};

}  // namespace kelto::desktop
