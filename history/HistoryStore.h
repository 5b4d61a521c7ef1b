#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <optional>

namespace kelto::history {

// What the player keeps of one file.
struct FileMemory {
    // Where playback was left and the file's length then, in milliseconds;
    // nullopt when there is nowhere to continue from.
    std::optional<std::int64_t> positionMs;
    std::optional<std::int64_t> lengthMs;
    // The audio stream chosen (1 is the first), and the subtitle track (0 is
    // none shown); nullopt when the user never chose.
    std::optional<int> audioTrack;
    std::optional<int> subtitleTrack;

    bool operator==(const FileMemory&) const = default;
};

// What the player keeps for itself: the volume (0 to 1000) and the mute.
struct PlayerMemory {
    std::optional<int> volume;
    std::optional<bool> muted;

    bool operator==(const PlayerMemory&) const = default;
};

// The history database, an SQLite file in one folder. One store is one
// connection and belongs to the thread that opened it. Several stores, in
// one process or several, may share the file: it runs in write-ahead mode
// and waits for another's write a while before it gives up.
//
// A file that cannot be opened or written leaves the store working in
// memory, so a session still remembers; a damaged file is moved aside as
// `history.sqlite.damaged` and a new one is started. Open says which, once.
//
//   HistoryStore store(HistoryStore::DefaultFolder());
//   if (QString why = store.Open(); !why.isEmpty()) std::fputs(qPrintable(why), stderr);
//   store.RememberPosition(key, 4'360'000, 7'200'000);
class HistoryStore {
public:
    static constexpr int kDefaultMaxFiles = 2000;
    static constexpr int kSchemaVersion = 1;
    static constexpr int kBusyTimeoutMs = 2000;
    static constexpr const char* kFileName = "history.sqlite";
    static constexpr const char* kDamagedSuffix = ".damaged";

    // $XDG_STATE_HOME/kelto-player, or ~/.local/state/kelto-player when that is unset
    // or not an absolute path.
    static QString DefaultFolder();
    // Deletes the history in `folder` (with its journal and a damaged copy).
    // Returns the line to show: what was deleted, or why it was not.
    static QString Forget(const QString& folder, bool* ok = nullptr);

    // At most `maxFiles` files are kept; the least recently played go first.
    explicit HistoryStore(QString folder, int maxFiles = kDefaultMaxFiles);
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;
    ~HistoryStore();

    // Opens or creates the database. Empty when the file is in use as it
    // should be; otherwise the line (with the newline) that tells the user
    // what became of the memory.
    QString Open();
    // The history lives in the file, not only in memory.
    bool persistent() const { return persistent_; }
    QString filePath() const;

    // Nothing when the key is unknown.
    FileMemory Recall(const QString& key);
    // Each remember marks the file as played now. False when the write failed;
    // TakeProblem then says why, once.
    bool RememberPosition(const QString& key, std::int64_t positionMs, std::int64_t lengthMs);
    bool ForgetPosition(const QString& key);
    bool RememberTracks(const QString& key, std::optional<int> audioTrack,
                        std::optional<int> subtitleTrack);
    PlayerMemory RecallPlayer();
    bool RememberPlayer(const PlayerMemory& memory);

    // The first failed write's line since the store opened; empty after that,
    // so a disk gone full is said once rather than on every stop.
    QString TakeProblem();

private:
    enum class Outcome { Ready, Damaged, Unusable };
    Outcome Prepare(QString* why);
    bool CreateSchema(QString* why);
    void OpenInMemory();
    void Close();
    bool Write(const QString& key, const QString& assignments, const QVariantList& values);
    bool Failed(const QString& what, const QString& error);

    QString folder_;
    int maxFiles_;
    QString connection_;
    QSqlDatabase db_;
    bool persistent_ = false;
    bool problemSaid_ = false;
    QString problem_;
};

}  // namespace kelto::history
