#pragma once

#include <QDBusConnection>
#include <QObject>

#include "desktop/MediaCommands.h"
#include "desktop/MprisService.h"
#include "desktop/PlaybackWatch.h"
#include "desktop/PlayerParts.h"
#include "desktop/ScreenSaverInhibitor.h"

namespace kelto::desktop {

// The player on the session bus: its media controls (MPRIS 2) and the screen
// saver's inhibit while a video plays, kept up to date from the window's own
// events and a twice-a-second look at the media service. Closing the window
// lets go of the screen saver and stops the looks.
class DesktopSession {
public:
    DesktopSession(PlayerParts parts, const QDBusConnection& bus);
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;
    ~DesktopSession();

    PlaybackWatch& watch() { return watch_; }
    MediaCommands& commands() { return commands_; }
    MprisService& mpris() { return mpris_; }

private:
    PlaybackWatch watch_;
    MediaCommands commands_;
    MprisService mpris_;
    ScreenSaverInhibitor inhibitor_;
    QObject wiring_;
};

}  // namespace kelto::desktop
