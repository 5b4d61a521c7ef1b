#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "platform/MediaProbe.h"
#include "ui/Form1.h"

namespace kelto::playlist {

// Why `input` cannot come in on a road in (the command line, a drop, the
// desktop's OpenUri, the dialog), as a phrase; empty when it can. Web
// addresses, folders and playlist files come in as they are (what they hold
// is looked at as it is added); any other file must be media.
QString InputRefusalOf(const QString& input, const platform::MediaProbe& probe);

// True when `inputs` hold a folder or a playlist file, whose entries are
// found while the window goes on (PlaylistIntake).
bool NeedsIntake(const QStringList& inputs);
bool HoldsPlaylistFile(const QStringList& inputs);

// "kelto-player: not added: <what>: <why>" on standard error, one line.
void SayNotAdded(const QString& what, const QString& why);

// Adds folders of thousands of files, and playlist files, without holding the
// window: a thread of its own walks the folders, reads the playlists and has
// each file's content looked at, while the window takes what it has found
// every few hundredths of a second and appends it. Meanwhile the title strip
// says how far it has got ("Adding 3,400 of 10,000") and Escape stops it.
// The playlist is saved once, when the adding ends; a window closed in the
// middle keeps (and saves, as it closes) what was found until then.
//
// Folders are walked folder by folder in natural name order; files in them
// that are not media are passed over without a word. A playlist's entries
// come in its order, each that is missing or not media named on standard
// error and skipped.
class PlaylistIntake : public QObject {
    Q_OBJECT
public:
    // `probe` must outlive the intake and may be asked from another thread.
    // `playSelected` plays the entry selected in List2; `save` saves the
    // playlist.
    PlaylistIntake(ui::Form1& form, const platform::MediaProbe& probe,
                   std::function<void()> playSelected, std::function<void()> save);
    ~PlaylistIntake() override;
    PlaylistIntake(const PlaylistIntake&) = delete;
    PlaylistIntake& operator=(const PlaylistIntake&) = delete;

    // Appends the entries of `inputs` (folders, playlist files, media files,
    // web addresses), in their order, as they are found. With `playFirst` the
    // first entry appended is selected and played at once. Inputs given while
    // an adding runs follow it.
    void Take(const QStringList& inputs, bool playFirst);

    bool adding() const { return worker_ != nullptr; }
    // Ends the adding soon: what was found stays and is saved, inputs still
    // waiting are dropped.
    void Stop();
    // What the title strip says of the adding under way; empty when none runs.
    QString progressText() const;

signals:
    // Each time the adding has ended and nothing more waits.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Job {
        QStringList inputs;
        bool playFirst = false;
    };
    class Worker;

    void StartNext();
    // Appends what the worker has found; true when it is done.
    bool TakeFound();
    void Tick();
    void Finish();
    void CloseInTheMiddle();
    // Ends the worker: false when it did not end within the time allowed.
    bool EndWorker();

    ui::Form1& form_;
    const platform::MediaProbe& probe_;
    std::function<void()> playSelected_;
    std::function<void()> save_;
    std::deque<Job> waiting_;
    std::unique_ptr<Worker> worker_;
    bool playFirst_ = false;
    bool played_ = false;
    bool stopped_ = false;
    bool countShown_ = false;
    int added_ = 0;
    int examined_ = 0;
    int total_ = -1;
    QTimer tick_;
};

}  // namespace kelto::playlist
