#include "app/PlayerApp.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <utility>

#include "mciservice/MediaContentProbe.h"
#include "mciservice/ServicePlatform.h"
#include "platform/widgets/ListBox.h"
#include "platform/widgets/NativeWindowRect.h"
#include "platform/widgets/asxToolbar.h"
#include "platform/widgets/cpvSlider.h"
#include "status/FilmKeys.h"
#include "ui/CoverView.h"
#include "ui/FileDrop.h"

namespace kelto::app {

std::unique_ptr<platform::MciPlatform> PlayerApp::MakeServicePlatform() {
    return std::make_unique<mciservice::ServicePlatform>(&platform::NativeWindowRect);
}

std::unique_ptr<platform::MediaProbe> PlayerApp::MakeMediaProbe() {
    return std::make_unique<mciservice::MediaContentProbe>();
}

PlayerApp::PlayerApp(std::unique_ptr<platform::MciPlatform> platform,
                     const playlist::PlaylistFiles& files,
                     std::unique_ptr<platform::MediaProbe> probe)
    : platform_(std::move(platform)),
      probe_(std::move(probe)),
      media_(*platform_),
      form_(std::make_unique<ui::Form1>()),
      playback_(*form_, media_),
      editor_(
          *form_, [this] { playback_.PlaySelected(); }, files, *probe_),
      lifecycle_(*form_, media_, files),
      refresh_(*form_, media_),
      endOfMedia_(*form_, media_, playback_),
      keys_(*form_, media_, playback_),
      note_(new ui::PictureNote(*form_)),
      choices_(*form_, media_, platform_->Tracks(), *note_),
      // The service's tags, where the platform is the service itself.
      nowPlaying_(std::make_unique<player::NowPlaying>(
          *form_, playback_, dynamic_cast<platform::TrackTagSource*>(platform_.get()),
          new ui::CoverView(form_->Picture1))) {
    Connect();
}

PlayerApp::~PlayerApp() = default;

void PlayerApp::Start() {
    lifecycle_.Form_Load();
    form_->show();
}

void PlayerApp::OpenFiles(const QStringList& paths) {
    editor_.AppendAndPlay(paths);
    form_->show();
    form_->raise();
    form_->activateWindow();
}

void PlayerApp::EnableDesktop(const QDBusConnection& bus) {
    desktop_ = std::make_unique<desktop::DesktopSession>(
        desktop::PlayerParts{*form_, media_, playback_, endOfMedia_, editor_, choices_,
                             nowPlaying_.get()},
        bus);
    KeepDesktopVolume();
}

void PlayerApp::EnableHistory(const QString& folder) {
    history_ = std::make_unique<history::History>(folder);
    memory_ = std::make_unique<history::PlaybackMemory>(*form_, media_, *history_);
    continueKey_ = std::make_unique<history::ContinueKey>(*form_, *memory_);
    volume_ = std::make_unique<history::VolumeMemory>(*form_, media_, *history_);
    memory_->setOnStarted([this] {
        // The window's held volume follows the one remembered, so that the
        // keys step from it and the desktop's controls show it.
        if (const std::optional<std::int32_t> kept = volume_->volume()) {
            choices_.Restore(*kept / 10, choices_.Muted());
        }
        volume_->Started();
    });
    // A film's offer goes over its picture, where full screen still shows it;
    // a sound file's stays on the title strip, the only place it can be seen.
    memory_->setOfferDisplay(
        [this](const QString& text) {
            form_->setStripNotice(text);
            if (form_->state.videoWidth > 0) {
                note_->Show(text, std::chrono::milliseconds(history::PlaybackMemory::kOfferMs));
            } else {
                form_->Announce(text);
            }
        },
        [this] {
            if (form_->state.videoWidth <= 0) {
                form_->Announce(form_->List1->text(form_->List1->currentRow()));
            } else if (note_->Text().startsWith(QStringLiteral("Continue from "))) {
                // Only the offer goes; a volume note shown since stays its time.
                note_->Hide();
            }
        });
    playback_.setListener(memory_.get());
    KeepDesktopVolume();
}

void PlayerApp::KeepDesktopVolume() {
    if (!desktop_ || !volume_) return;
    QObject::connect(
        &desktop_->watch(), &desktop::PlaybackWatch::changed, &wiring_,
        [this](const desktop::PlaybackSnapshot& before, const desktop::PlaybackSnapshot& now) {
            // A change while one file stays open was asked for;
            // a new file's own volume was not.
            if (before.open && now.open && before.path == now.path && before.volume != now.volume) {
                volume_->Chosen(static_cast<std::int32_t>(std::lround(now.volume * 1000.0)));
            }
        });
}

void PlayerApp::Connect() {
    ui::Form1& form = *form_;
    QObject* const context = &wiring_;
    QObject::connect(
        form.asxToolbar1, &platform::asxToolbar::ButtonClick, context,
        [this](int index, const QString& key) { playback_.asxToolbar1_Click(index, key); });
    QObject::connect(
        form.asxToolbar2, &platform::asxToolbar::ButtonClick, context,
        [this](int index, const QString& key) { editor_.asxToolbar2_Click(index, key); });
    QObject::connect(
        form.asxToolbar3, &platform::asxToolbar::ButtonClick, context,
        [this](int index, const QString& key) { playback_.asxToolbar3_Click(index, key); });
    QObject::connect(form.cpvSlider1, &platform::cpvSlider::Change, context,
                     [this] { playback_.cpvSlider1_Change(); });
    QObject::connect(form.List1, &platform::ListBox::currentRowChanged, context,
                     [this](int) { editor_.List1_Click(); });
    QObject::connect(form.List1, &platform::ListBox::rowDoubleClicked, context,
                     [this](int) { editor_.List1_DblClick(); });
    QObject::connect(form.TimerMisc, &QTimer::timeout, context,
                     [this] { refresh_.TimerMisc_Timer(); });
    QObject::connect(form.TimerAtEndFile, &QTimer::timeout, context,
                     [this] { endOfMedia_.TimerAtEndFile_Timer(); });
    QObject::connect(&form, &ui::Form1::txtfullKeyDown, context,
                     [this](int keyCode, int shift) { keys_.txtfull_KeyDown(keyCode, shift); });
    // Full screen laid out again at the size the window manager gave.
    QObject::connect(&form, &ui::Form1::maximisedResized, context,
                     [this] { playback_.EnterFullScreen(); });
    QObject::connect(&form, &ui::Form1::queryUnload, context, [this] {
        // Where the file was left is asked before the media are closed.
        if (memory_) memory_->Leaving();
        lifecycle_.Form_QueryUnload();
    });
    QObject::connect(&form, &ui::Form1::unload, context, [this] { lifecycle_.Form_Unload(); });

    // The volume and mute the player holds go to each file it opens; the keys
    // and the wheel of a film choose them and the tracks.
    playback_.setAfterOpen([this] { choices_.FileOpened(); });
    filmKeys_ = new status::FilmKeys(form, choices_);
    filmKeys_->WatchWheel(note_->Widget());

    // Files and folders dropped on the playlist or the video area join the
    // playlist as after Add.
    auto* drop = new ui::FileDrop(&form);
    drop->Watch(form.List1->viewport());
    drop->Watch(form.Picture1);
    QObject::connect(drop, &ui::FileDrop::filesDropped, context,
                     [this](const QStringList& paths) { editor_.AppendDropped(paths); });
}

}  // namespace kelto::app
