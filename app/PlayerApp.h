#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <memory>

#include "desktop/DesktopSession.h"
#include "history/ContinueKey.h"
#include "history/History.h"
#include "history/PlaybackMemory.h"
#include "history/VolumeMemory.h"

#include "mci/ModuleMultimedia.h"
#include "platform/MciPlatform.h"
#include "platform/MediaProbe.h"
#include "player/NowPlaying.h"
#include "player/PlaybackChoices.h"
#include "player/PlaybackControl.h"
#include "playlist/PlaylistEditor.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/WindowLifecycle.h"
#include "status/EndOfMedia.h"
#include "status/FilmKeys.h"
#include "status/FullScreenKeys.h"
#include "status/StatusRefresh.h"
#include "ui/Form1.h"
#include "ui/PictureNote.h"

namespace kelto::app {

// The whole program in one object: the media service behind the command
// layer, the main window, and every handler of the window's events connected
// to its handler. Members are built in the order they depend on each other
// and torn down in reverse, so no handler outlives what it uses.
//
//   PlayerApp player;   // the real media service, playlist files in the current folder
//   player.Start();     // reads the playlist, then shows the window
//   return QApplication::exec();
class PlayerApp {
public:
    // The media service this process runs itself, placing video into the
    // window through the window system's own window rectangles.
    static std::unique_ptr<platform::MciPlatform> MakeServicePlatform();
    // Tells media by content with the media engine's own type finders.
    static std::unique_ptr<platform::MediaProbe> MakeMediaProbe();

    // `platform` serves every media command; the playlist is kept in `files`;
    // `probe` decides which files may join it.
    explicit PlayerApp(std::unique_ptr<platform::MciPlatform> platform = MakeServicePlatform(),
                       const playlist::PlaylistFiles& files = playlist::PlaylistFiles(),
                       std::unique_ptr<platform::MediaProbe> probe = MakeMediaProbe());
    PlayerApp(const PlayerApp&) = delete;
    PlayerApp& operator=(const PlayerApp&) = delete;
    ~PlayerApp();

    // Reads the playlist files into the window, then shows it.
    void Start();

    // Appends the files that can join the playlist and plays the first;
    // brings the window to the front either way. For files from the command
    // line, from a later start in the same folder and from the desktop.
    void OpenFiles(const QStringList& paths);

    // Puts the player on `bus`: the desktop's media controls and the screen
    // saver's inhibit while a video plays. Call once, before Start.
    void EnableDesktop(const QDBusConnection& bus);
    desktop::DesktopSession* desktop() { return desktop_.get(); }

    // Keeps the history in `folder`: where each file was left, with the offer
    // to continue there. Call once, before Start.
    void EnableHistory(const QString& folder);
    history::History* history() { return history_.get(); }
    history::PlaybackMemory* memory() { return memory_.get(); }

    ui::Form1& form() { return *form_; }
    mci::ModuleMultimedia& media() { return media_; }
    player::PlaybackControl& playback() { return playback_; }
    playlist::PlaylistEditor& editor() { return editor_; }
    playlist::WindowLifecycle& lifecycle() { return lifecycle_; }
    // A short text over the picture (or on the title strip for sound).
    ui::PictureNote& note() { return *note_; }
    // Volume, mute, sound track and subtitle of what plays, through the
    // service; the place to choose them from outside the keys.
    player::PlaybackChoices& choices() { return choices_; }

private:
    void Connect();
    // Once both the desktop and the history are on: a volume set from the
    // desktop is kept.
    void KeepDesktopVolume();

    std::unique_ptr<platform::MciPlatform> platform_;
    std::unique_ptr<platform::MediaProbe> probe_;
    mci::ModuleMultimedia media_;
    std::unique_ptr<ui::Form1> form_;
    player::PlaybackControl playback_;
    playlist::PlaylistEditor editor_;
    playlist::WindowLifecycle lifecycle_;
    status::StatusRefresh refresh_;
    status::EndOfMedia endOfMedia_;
    status::FullScreenKeys keys_;
    ui::PictureNote* note_;                 // the window's child
    status::FilmKeys* filmKeys_ = nullptr;  // the window's child, made as it is wired
    player::PlaybackChoices choices_;
    std::unique_ptr<player::NowPlaying> nowPlaying_;
    std::unique_ptr<desktop::DesktopSession> desktop_;
    std::unique_ptr<history::History> history_;
    std::unique_ptr<history::PlaybackMemory> memory_;
    std::unique_ptr<history::ContinueKey> continueKey_;
    std::unique_ptr<history::VolumeMemory> volume_;
    // Context of every connection; as the last member it goes first, so no
    // signal reaches a handler that is already gone.
    QObject wiring_;
};

}  // namespace kelto::app
