#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "history/HistoryStore.h"

namespace kelto::history {

// The history as the window's thread sees it: every read and write is handed
// to a thread of its own, so a slow disk or another player's long write never
// holds the window. Answers come back on the thread that made this object, in
// the order asked, and are dropped when their context object is gone. A file
// is named by its path; the worker turns it into its key.
//
//   History history(HistoryStore::DefaultFolder());
//   history.Recall(path, &window, [](const FileMemory& m) { ... });
//   history.LeftAt(path, positionMs, lengthMs);
class History {
public:
    // The store is opened on the worker; its one line about a lost memory,
    // and the first failed write's, go to standard error.
    explicit History(QString folder, int maxFiles = HistoryStore::kDefaultMaxFiles);
    History(const History&) = delete;
    History& operator=(const History&) = delete;
    // Waits up to kFinishMs for the writes asked so far; a worker stuck
    // longer (a disk that does not answer) is left to end with the process.
    ~History();

    static constexpr int kFinishMs = 4000;

    void Recall(const QByteArray& path, QObject* context,
                std::function<void(const FileMemory&)> answer);
    void LeftAt(const QByteArray& path, std::int64_t positionMs, std::int64_t lengthMs);
    void ForgetPosition(const QByteArray& path);
    void ChoseTracks(const QByteArray& path, std::optional<int> audioTrack,
                     std::optional<int> subtitleTrack);
    void RecallPlayer(QObject* context, std::function<void(const PlayerMemory&)> answer);
    void RememberPlayer(const PlayerMemory& memory);

    // Blocks until everything asked before has been done, at most `timeoutMs`.
    // For tests and the end of the program; true when done in time.
    bool Drain(int timeoutMs);

private:
    using Job = std::function<void(HistoryStore&)>;
    struct Queue {
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable idle;
        std::deque<Job> jobs;
        bool busy = false;
        bool finishing = false;
        bool finished = false;
        // Set once this object has let the worker go: answers go nowhere.
        bool abandoned = false;
        QObject* mailbox = nullptr;
    };
    void Post(Job job);
    static void Run(const std::shared_ptr<Queue>& queue, QString folder, int maxFiles);
    // Runs `delivery` on the mailbox's thread, unless this object is gone.
    static void Deliver(Queue& queue, std::function<void()> delivery);

    std::unique_ptr<QObject> mailbox_;
    std::shared_ptr<Queue> queue_;
    std::thread worker_;
};

}  // namespace kelto::history
