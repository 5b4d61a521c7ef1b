#include "playlist/PlaylistIntake.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "playlist/MediaFiles.h"
#include "playlist/PlaylistReader.h"
#include "playlist/WebAddress.h"
#include "ui/basScroller.h"

namespace kelto::playlist {

namespace {

// Often enough that entries are seen to arrive, seldom enough that the
// window's thread spends next to nothing on them.
constexpr int kTakeIntervalMs = 50;
// A file being looked at when the window closes is given this long; one on
// a file system that has stopped answering is left behind.
constexpr auto kEndWithin = std::chrono::seconds(10);

QString GroupedCount(int n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

}  // namespace

QString InputRefusalOf(const QString& input, const platform::MediaProbe& probe) {
    if (IsWebAddress(input)) {
        return FitsPlaylistLine(input) ? QString() : QStringLiteral("its address has a line break");
    }
    const QFileInfo info(input);
    if (!input.isEmpty() && info.isDir()) return {};
    if (PlaylistFormatOf(input) != PlaylistFormat::None && info.isFile()) return {};
    return RefusalOf(input, probe);
}

bool NeedsIntake(const QStringList& inputs) {
    for (const QString& input : inputs) {
        if (IsWebAddress(input)) continue;
        if (QFileInfo(input).isDir() || PlaylistFormatOf(input) != PlaylistFormat::None)
            return true;
    }
    return false;
}

bool HoldsPlaylistFile(const QStringList& inputs) {
    for (const QString& input : inputs) {
        if (!IsWebAddress(input) && PlaylistFormatOf(input) != PlaylistFormat::None &&
            !QFileInfo(input).isDir())
            return true;
    }
    return false;
}

void SayNotAdded(const QString& what, const QString& why) {
    QString shown = what;
    // One line per refusal, even for a name that holds line breaks.
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    std::fprintf(stderr, "kelto-player: not added: %s: %s\n", shown.toLocal8Bit().constData(),
                 why.toLocal8Bit().constData());
}

// The thread that finds the entries, and what it hands to the window. The
// window takes the found entries under the lock; everything else the thread
// touches is its own.
class PlaylistIntake::Worker {
public:
    // One place an entry may come from, before its content is looked at.
    struct Candidate {
        QString location;
        QString title;
        // The playlist that lists it, for messages.
        QString listedIn;
        // Found in a folder: not media is no news there.
        bool quiet = false;
    };

    struct FoundEntry {
        QString title;
        QString path;
    };

    Worker(QStringList inputs, const platform::MediaProbe& probe)
        : shared_(std::make_shared<Shared>()) {
        thread_ = std::thread(&Worker::Run, shared_, std::move(inputs), &probe);
    }
    ~Worker() {
        shared_->stop = true;
        if (thread_.joinable()) thread_.detach();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void Stop() { shared_->stop = true; }

    struct Taken {
        std::vector<FoundEntry> found;
        int examined = 0;
        int total = -1;
        bool done = false;
    };
    Taken Take() {
        Taken taken;
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        taken.found.swap(shared_->found);
        taken.examined = shared_->examined;
        taken.total = shared_->total;
        taken.done = shared_->done;
        return taken;
    }

    // Waits at most `within` for the thread to end; true when it has.
    bool End(std::chrono::milliseconds within) {
        shared_->stop = true;
        {
            std::unique_lock<std::mutex> lock(shared_->mutex);
            if (!shared_->ended.wait_for(lock, within, [this] { return shared_->done; }))
                return false;
        }
        thread_.join();
        return true;
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable ended;
        std::vector<FoundEntry> found;
        int examined = 0;
        int total = -1;
        bool done = false;
        std::atomic<bool> stop{false};
    };

    static void Run(const std::shared_ptr<Shared>& shared, const QStringList& inputs,
                    const platform::MediaProbe* probe) {
        const std::vector<Candidate> candidates = Expand(inputs, *shared);
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->total = static_cast<int>(candidates.size());
        }
        for (const Candidate& candidate : candidates) {
            if (shared->stop) break;
            std::optional<FoundEntry> entry = Examine(candidate, *probe);
            const std::lock_guard<std::mutex> lock(shared->mutex);
            ++shared->examined;
            if (entry) shared->found.push_back(std::move(*entry));
        }
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->done = true;
        shared->ended.notify_all();
    }

    static std::vector<Candidate> Expand(const QStringList& inputs, const Shared& shared) {
        std::vector<Candidate> candidates;
        const auto stopped = [&shared] { return shared.stop.load(); };
        for (const QString& input : inputs) {
            if (stopped()) break;
            const bool web = IsWebAddress(input);
            if (!web && QFileInfo(input).isDir()) {
                for (const QString& file : FilesBelow(input, stopped))
                    candidates.push_back({file, {}, {}, true});
            } else if (!web && PlaylistFormatOf(input) != PlaylistFormat::None) {
                const PlaylistContents contents = ReadPlaylist(input);
                const QString name = QFileInfo(input).fileName();
                for (const PlaylistItem& item : contents.items) {
                    if (!item.refusal.isEmpty()) {
                        SayNotAdded(item.written + QStringLiteral(" (listed in %1)").arg(name),
                                    item.refusal);
                    } else {
                        candidates.push_back({item.location, item.title, name, false});
                    }
                }
                if (!contents.error.isEmpty()) SayNotAdded(input, contents.error);
            } else {
                candidates.push_back({input, {}, {}, false});
            }
        }
        return candidates;
    }

    static std::optional<FoundEntry> Examine(const Candidate& candidate,
                                             const platform::MediaProbe& probe) {
        const QString& location = candidate.location;
        if (IsWebAddress(location)) {
            if (!FitsPlaylistLine(location)) {
                SayNotAdded(location, QStringLiteral("its address has a line break"));
                return std::nullopt;
            }
            return FoundEntry{
                candidate.title.isEmpty() ? TitleOfWebAddress(location) : candidate.title,
                location};
        }
        if (const QString why = RefusalOf(location, probe); !why.isEmpty()) {
            if (!candidate.quiet) {
                SayNotAdded(
                    candidate.listedIn.isEmpty()
                        ? location
                        : location + QStringLiteral(" (listed in %1)").arg(candidate.listedIn),
                    why);
            }
            return std::nullopt;
        }
        QString title = candidate.title;
        if (title.isEmpty() || !FitsPlaylistLine(title)) title = QFileInfo(location).fileName();
        return FoundEntry{title, QFileInfo(location).absoluteFilePath()};
    }

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

PlaylistIntake::PlaylistIntake(ui::Form1& form, const platform::MediaProbe& probe,
                               std::function<void()> playSelected, std::function<void()> save)
    : form_(form), probe_(probe), playSelected_(std::move(playSelected)), save_(std::move(save)) {
    tick_.setInterval(kTakeIntervalMs);
    connect(&tick_, &QTimer::timeout, this, &PlaylistIntake::Tick);
    // Ahead of the window's own closing steps, which save the lists.
    connect(&form_, &ui::Form1::queryUnload, this, &PlaylistIntake::CloseInTheMiddle);
}

PlaylistIntake::~PlaylistIntake() {
    playFirst_ = false;
    if (worker_) EndWorker();
}

void PlaylistIntake::Take(const QStringList& inputs, bool playFirst) {
    if (inputs.isEmpty()) return;
    waiting_.push_back({inputs, playFirst});
    if (!worker_) StartNext();
}

void PlaylistIntake::StartNext() {
    if (waiting_.empty()) return;
    Job job = std::move(waiting_.front());
    waiting_.pop_front();
    playFirst_ = job.playFirst;
    played_ = false;
    stopped_ = false;
    countShown_ = false;
    added_ = 0;
    examined_ = 0;
    total_ = -1;
    worker_ = std::make_unique<Worker>(std::move(job.inputs), probe_);
    qApp->installEventFilter(this);
    tick_.start();
    form_.Announce(progressText());
}

QString PlaylistIntake::progressText() const {
    if (!worker_) return {};
    if (total_ < 0) return QStringLiteral("Adding");
    return QStringLiteral("Adding %1 of %2").arg(GroupedCount(examined_), GroupedCount(total_));
}

void PlaylistIntake::Stop() {
    if (!worker_) return;
    waiting_.clear();
    stopped_ = true;
    worker_->Stop();
}

bool PlaylistIntake::TakeFound() {
    Worker::Taken taken = worker_->Take();
    examined_ = taken.examined;
    total_ = taken.total;
    if (!taken.found.empty()) {
        QStringList titles;
        QStringList paths;
        QList<QByteArray> bytes;
        for (Worker::FoundEntry& entry : taken.found) {
            bytes.append(IsWebAddress(entry.path) ? entry.path.toUtf8()
                                                  : QFile::encodeName(entry.path));
            titles.append(std::move(entry.title));
            paths.append(std::move(entry.path));
        }
        const int first = form_.List1->count();
        form_.List1->addItems(titles);
        form_.List2->addItems(paths, bytes);
        added_ += static_cast<int>(titles.size());
        if (playFirst_) {
            playFirst_ = false;
            played_ = true;
            form_.List1->setCurrentRow(first);
            if (playSelected_) playSelected_();
        }
    }
    return taken.done;
}

void PlaylistIntake::Tick() {
    if (!worker_) return;
    if (TakeFound()) {
        Finish();
        return;
    }
    // A new pass whenever the last has gone by, with the count as it now
    // stands; at once when the count is first known.
    const bool counted = total_ >= 0 && !countShown_;
    if (ui::RunningPass(form_.Picture2) == nullptr || counted) {
        countShown_ = total_ >= 0;
        form_.Announce(progressText());
    }
}

void PlaylistIntake::Finish() {
    tick_.stop();
    qApp->removeEventFilter(this);
    EndWorker();
    const QString said = stopped_
                             ? QStringLiteral("Adding stopped: %1 added").arg(GroupedCount(added_))
                             : QStringLiteral("Added %1").arg(GroupedCount(added_));
    // As after Add, the last entry is the one selected, unless the first was
    // chosen to play.
    if (!played_ && added_ > 0) form_.List1->setCurrentRow(form_.List1->count() - 1);
    if (save_) save_();
    form_.Announce(said);
    StartNext();
    if (!worker_) emit finished();
}

void PlaylistIntake::CloseInTheMiddle() {
    if (!worker_) return;
    waiting_.clear();
    playFirst_ = false;
    tick_.stop();
    qApp->removeEventFilter(this);
    worker_->Stop();
    // What was found stays; the window saves the lists as it closes.
    EndWorker();
}

bool PlaylistIntake::EndWorker() {
    const bool ended = worker_->End(kEndWithin);
    if (ended) TakeFound();
    worker_.reset();
    return ended;
}

bool PlaylistIntake::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == &form_) Stop();
    }
    // Escape goes on to what else it does (full screen ends by it).
    return false;
}

}  // namespace kelto::playlist
