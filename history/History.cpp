#include "history/History.h"

#include <QCoreApplication>
#include <QEvent>
#include <chrono>
#include <cstdio>
#include <utility>

#include "history/FileKey.h"

namespace kelto::history {

namespace {

const QEvent::Type kDeliveryEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// An answer on its way to the window's thread.
class Delivery : public QEvent {
public:
    explicit Delivery(std::function<void()> run) : QEvent(kDeliveryEvent), run_(std::move(run)) {}
    void Run() const { run_(); }

private:
    std::function<void()> run_;
};

class Mailbox : public QObject {
protected:
    bool event(QEvent* event) override {
        if (event->type() != kDeliveryEvent) return QObject::event(event);
        static_cast<Delivery*>(event)->Run();
        return true;
    }
};

void Say(const QString& line) {
    if (!line.isEmpty()) std::fputs(line.toLocal8Bit().constData(), stderr);
}

}  // namespace

void History::Deliver(Queue& queue, std::function<void()> delivery) {
    const std::lock_guard lock(queue.mutex);
    if (queue.abandoned) return;
    // The event queue owns the event until it is delivered or its receiver goes.
    QCoreApplication::postEvent(queue.mailbox, new Delivery(std::move(delivery)));
}

History::History(QString folder, int maxFiles)
    : mailbox_(std::make_unique<Mailbox>()), queue_(std::make_shared<Queue>()) {
    queue_->mailbox = mailbox_.get();
    worker_ = std::thread(&History::Run, queue_, std::move(folder), maxFiles);
}

History::~History() {
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->finishing = true;
    }
    queue_->wake.notify_all();
    std::unique_lock lock(queue_->mutex);
    const bool done = queue_->idle.wait_for(lock, std::chrono::milliseconds(kFinishMs),
                                            [this] { return queue_->finished; });
    // Answers not yet delivered go with the mailbox.
    queue_->abandoned = true;
    lock.unlock();
    if (done) {
        worker_.join();
    } else {
        // The queue is shared, so the worker may run on without this object.
        worker_.detach();
    }
}

void History::Run(const std::shared_ptr<Queue>& queue, QString folder, int maxFiles) {
    {
        HistoryStore store(std::move(folder), maxFiles);
        Say(store.Open());
        std::unique_lock lock(queue->mutex);
        for (;;) {
            queue->wake.wait(lock, [&] { return !queue->jobs.empty() || queue->finishing; });
            if (queue->jobs.empty()) break;
            Job job = std::move(queue->jobs.front());
            queue->jobs.pop_front();
            queue->busy = true;
            lock.unlock();
            job(store);
            Say(store.TakeProblem());
            lock.lock();
            queue->busy = false;
            if (queue->jobs.empty()) queue->idle.notify_all();
        }
    }
    const std::lock_guard lock(queue->mutex);
    queue->finished = true;
    queue->idle.notify_all();
}

void History::Post(Job job) {
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->jobs.push_back(std::move(job));
    }
    queue_->wake.notify_one();
}

bool History::Drain(int timeoutMs) {
    std::unique_lock lock(queue_->mutex);
    return queue_->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return (queue_->jobs.empty() && !queue_->busy) || queue_->finished;
    });
}

void History::Recall(const QByteArray& path, QObject* context,
                     std::function<void(const FileMemory&)> answer) {
    Post([queue = queue_.get(), path, context = QPointer<QObject>(context),
          answer = std::move(answer)](HistoryStore& store) mutable {
        const QString key = FileKey(path);
        const FileMemory memory = key.isEmpty() ? FileMemory{} : store.Recall(key);
        // The pointer is only looked at on the mailbox's thread, where the context lives.
        Deliver(*queue, [context = std::move(context), answer = std::move(answer), memory] {
            if (!context.isNull()) answer(memory);
        });
    });
}

void History::LeftAt(const QByteArray& path, std::int64_t positionMs, std::int64_t lengthMs) {
    Post([=](HistoryStore& store) {
        if (const QString key = FileKey(path); !key.isEmpty()) {
            store.RememberPosition(key, positionMs, lengthMs);
        }
    });
}

void History::ForgetPosition(const QByteArray& path) {
    Post([=](HistoryStore& store) {
        if (const QString key = FileKey(path); !key.isEmpty()) store.ForgetPosition(key);
    });
}

void History::ChoseTracks(const QByteArray& path, std::optional<int> audioTrack,
                          std::optional<int> subtitleTrack) {
    Post([=](HistoryStore& store) {
        if (const QString key = FileKey(path); !key.isEmpty()) {
            store.RememberTracks(key, audioTrack, subtitleTrack);
        }
    });
}

void History::RecallPlayer(QObject* context, std::function<void(const PlayerMemory&)> answer) {
    Post([queue = queue_.get(), context = QPointer<QObject>(context),
          answer = std::move(answer)](HistoryStore& store) mutable {
        const PlayerMemory memory = store.RecallPlayer();
        Deliver(*queue, [context = std::move(context), answer = std::move(answer), memory] {
            if (!context.isNull()) answer(memory);
        });
    });
}

void History::RememberPlayer(const PlayerMemory& memory) {
    Post([=](HistoryStore& store) { store.RememberPlayer(memory); });
}

}  // namespace kelto::history
