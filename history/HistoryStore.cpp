#include "history/HistoryStore.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <utility>

namespace kelto::history {

namespace {

// SQLite's primary result codes the store tells apart.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

int PrimaryCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    // Extended codes carry the primary one in their low byte.
    return ok ? code & 0xff : -1;
}

bool IsDamage(const QSqlError& error) {
    const int code = PrimaryCode(error);
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

QString ErrorText(const QSqlError& error) {
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

// Distinct per store: connections are looked up by name, process-wide.
QString NewConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("kelto-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

std::int64_t NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

QVariant OrNull(std::optional<int> value) { return value ? QVariant(*value) : QVariant(); }

template <typename T>
std::optional<T> FromColumn(const QVariant& value) {
    if (value.isNull()) return std::nullopt;
    return value.value<T>();
}

const char* const kSchema[] = {
    // One row per file, keyed by a digest of its path, size and time, so the
    // file does not list in clear what was played.
    "CREATE TABLE files ("
    " key TEXT PRIMARY KEY NOT NULL,"
    " position_ms INTEGER,"
    " length_ms INTEGER,"
    " audio_track INTEGER,"
    " subtitle_track INTEGER,"
    " last_played INTEGER NOT NULL)",
    "CREATE INDEX files_by_last_played ON files (last_played)",
    "CREATE TABLE player ("
    " id INTEGER PRIMARY KEY CHECK (id = 1),"
    " volume INTEGER,"
    " muted INTEGER)",
};

}  // namespace

QString HistoryStore::DefaultFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory rules: a relative value is to be ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/kelto-player");
}

QString HistoryStore::Forget(const QString& folder, bool* ok) {
    const QString file = QDir(folder).filePath(QString::fromLatin1(kFileName));
    const QString damaged = file + QString::fromLatin1(kDamagedSuffix);
    QStringList removed;
    QStringList failed;
    for (const QString& path : {file, file + QStringLiteral("-wal"), file + QStringLiteral("-shm"),
                                damaged, damaged + QStringLiteral("-wal")}) {
        if (!QFileInfo::exists(path)) continue;
        QFile f(path);
        if (f.remove()) {
            removed << path;
        } else {
            failed << path + QStringLiteral(" (") + f.errorString() + QLatin1Char(')');
        }
    }
    if (ok != nullptr) *ok = failed.isEmpty();
    if (!failed.isEmpty()) {
        return QStringLiteral("kelto-player: could not delete %1\n")
            .arg(failed.join(QStringLiteral(", ")));
    }
    if (removed.isEmpty()) return QStringLiteral("kelto-player: no history in %1\n").arg(folder);
    return QStringLiteral("kelto-player: the history in %1 is deleted\n").arg(folder);
}

HistoryStore::HistoryStore(QString folder, int maxFiles)
    : folder_(std::move(folder)), maxFiles_(maxFiles), connection_(NewConnectionName()) {}

HistoryStore::~HistoryStore() { Close(); }

QString HistoryStore::filePath() const {
    return QDir(folder_).filePath(QString::fromLatin1(kFileName));
}

void HistoryStore::Close() {
    if (!db_.isValid()) return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

QString HistoryStore::Open() {
    QString why;
    const bool existed = QFileInfo(folder_).isDir();
    if (!QDir().mkpath(folder_)) {
        why = QStringLiteral("the folder cannot be made");
    } else {
        // What was played is nobody else's business.
        if (!existed) {
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        Outcome outcome = Prepare(&why);
        if (outcome == Outcome::Damaged) {
            Close();
            const QString file = filePath();
            const QString aside = file + QString::fromLatin1(kDamagedSuffix);
            QFile::remove(aside);
            QFile::remove(aside + QStringLiteral("-wal"));
            const bool kept = QFile::rename(file, aside);
            // The journal belongs to the damaged file: left beside a new one,
            // it would be played into it.
            QFile::rename(file + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
            QFile::remove(file + QStringLiteral("-shm"));
            QString again;
            if (kept && Prepare(&again) == Outcome::Ready) {
                persistent_ = true;
                return QStringLiteral(
                           "kelto-player: the history %1 was damaged (%2); it is kept as %3 and "
                           "a new one is started\n")
                    .arg(file, why, aside);
            }
            why = kept ? again : QStringLiteral("%1, and it cannot be moved aside").arg(why);
            outcome = Outcome::Unusable;
        }
        if (outcome == Outcome::Ready) {
            persistent_ = true;
            return {};
        }
    }
    Close();
    OpenInMemory();
    return QStringLiteral(
               "kelto-player: the history cannot be kept in %1 (%2); what this session "
               "remembers is forgotten when it ends\n")
        .arg(folder_, why);
}

HistoryStore::Outcome HistoryStore::Prepare(QString* why) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db_.isValid()) {
        *why = QStringLiteral("no SQLite driver for Qt is installed");
        return Outcome::Unusable;
    }
    db_.setDatabaseName(filePath());
    // Another player's write is waited for this long before one gives up.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db_.open()) {
        *why = ErrorText(db_.lastError());
        return IsDamage(db_.lastError()) ? Outcome::Damaged : Outcome::Unusable;
    }
    QSqlQuery query(db_);
    // The first read of the file: a file that is not a database, or a
    // damaged one, shows here.
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        *why = ErrorText(query.lastError());
        return IsDamage(query.lastError()) ? Outcome::Damaged : Outcome::Unusable;
    }
    if (const QString verdict = query.value(0).toString(); verdict != QLatin1String("ok")) {
        *why = verdict;
        return Outcome::Damaged;
    }
    // Readers never wait for a writer, and a writer only for another writer.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next()) {
        *why = ErrorText(query.lastError());
        return Outcome::Unusable;
    }
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        *why = QStringLiteral("write-ahead journal refused");
        return Outcome::Unusable;
    }
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *why = ErrorText(query.lastError());
        return Outcome::Unusable;
    }
    const int version = query.value(0).toInt();
    if (version == 0) return CreateSchema(why) ? Outcome::Ready : Outcome::Unusable;
    // A file that can be read but not written is found now rather than at
    // the first stop. Another player's write shows as busy, which is no fault.
    // The write is of the version the file already has, and is rolled back.
    const bool wrote = query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                       query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QSqlError error = query.lastError();
    query.exec(QStringLiteral("ROLLBACK"));
    if (!wrote && PrimaryCode(error) != kSqliteBusy) {
        *why = ErrorText(error);
        return Outcome::Unusable;
    }
    if (version > kSchemaVersion) {
        // Written by a later player: left as it is for that one.
        *why = QStringLiteral("it is of a later version (%1)").arg(version);
        return Outcome::Unusable;
    }
    return Outcome::Ready;
}

bool HistoryStore::CreateSchema(QString* why) {
    QSqlQuery query(db_);
    // Immediate: two players starting at once must not both create it.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *why = ErrorText(query.lastError());
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *why = ErrorText(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (query.value(0).toInt() != 0) return query.exec(QStringLiteral("COMMIT"));
    for (const char* statement : kSchema) {
        if (!query.exec(QString::fromLatin1(statement))) {
            *why = ErrorText(query.lastError());
            query.exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) ||
        !query.exec(QStringLiteral("COMMIT"))) {
        *why = ErrorText(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

void HistoryStore::OpenInMemory() {
    persistent_ = false;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db_.isValid()) return;
    db_.setDatabaseName(QStringLiteral(":memory:"));
    QString ignored;
    if (db_.open()) CreateSchema(&ignored);
}

FileMemory HistoryStore::Recall(const QString& key) {
    FileMemory memory;
    if (!db_.isOpen()) return memory;
    QSqlQuery query(db_);
    query.prepare(
        QStringLiteral("SELECT position_ms, length_ms, audio_track, subtitle_track FROM files "
                       "WHERE key = ?"));
    query.addBindValue(key);
    if (!query.exec() || !query.next()) return memory;
    memory.positionMs = FromColumn<std::int64_t>(query.value(0));
    memory.lengthMs = FromColumn<std::int64_t>(query.value(1));
    memory.audioTrack = FromColumn<int>(query.value(2));
    memory.subtitleTrack = FromColumn<int>(query.value(3));
    return memory;
}

bool HistoryStore::Write(const QString& key, const QString& assignments,
                         const QVariantList& values) {
    if (!db_.isOpen()) return false;
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return Failed(QStringLiteral("begin"), ErrorText(query.lastError()));
    }
    // The columns named in `assignments` are set; a new row has nulls elsewhere.
    // Times only go forward, so that two plays within one clock step still
    // come in their order when the oldest are pruned.
    query.prepare(
        QStringLiteral("INSERT INTO files (key, last_played) "
                       "VALUES (?, MAX(?, COALESCE((SELECT MAX(last_played) FROM files), 0) + 1)) "
                       "ON CONFLICT (key) DO UPDATE SET last_played = excluded.last_played"));
    query.addBindValue(key);
    query.addBindValue(QVariant::fromValue<qint64>(NowMs()));
    bool ok = query.exec();
    if (ok) {
        query.prepare(QStringLiteral("UPDATE files SET %1 WHERE key = ?").arg(assignments));
        for (const QVariant& value : values) query.addBindValue(value);
        query.addBindValue(key);
        ok = query.exec();
    }
    if (ok) {
        // The least recently played beyond the bound go, in the same step.
        query.prepare(
            QStringLiteral("DELETE FROM files WHERE key IN (SELECT key FROM files "
                           "ORDER BY last_played DESC LIMIT -1 OFFSET ?)"));
        query.addBindValue(maxFiles_);
        ok = query.exec();
    }
    if (ok) ok = query.exec(QStringLiteral("COMMIT"));
    if (!ok) {
        const QString error = ErrorText(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        return Failed(QStringLiteral("write"), error);
    }
    return true;
}

bool HistoryStore::RememberPosition(const QString& key, std::int64_t positionMs,
                                    std::int64_t lengthMs) {
    return Write(key, QStringLiteral("position_ms = ?, length_ms = ?"),
                 {QVariant::fromValue<qint64>(positionMs), QVariant::fromValue<qint64>(lengthMs)});
}

bool HistoryStore::ForgetPosition(const QString& key) {
    return Write(key, QStringLiteral("position_ms = NULL, length_ms = NULL"), {});
}

bool HistoryStore::RememberTracks(const QString& key, std::optional<int> audioTrack,
                                  std::optional<int> subtitleTrack) {
    return Write(key, QStringLiteral("audio_track = ?, subtitle_track = ?"),
                 {OrNull(audioTrack), OrNull(subtitleTrack)});
}

PlayerMemory HistoryStore::RecallPlayer() {
    PlayerMemory memory;
    if (!db_.isOpen()) return memory;
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("SELECT volume, muted FROM player WHERE id = 1")) ||
        !query.next()) {
        return memory;
    }
    memory.volume = FromColumn<int>(query.value(0));
    memory.muted = FromColumn<bool>(query.value(1));
    return memory;
}

bool HistoryStore::RememberPlayer(const PlayerMemory& memory) {
    if (!db_.isOpen()) return false;
    QSqlQuery query(db_);
    query.prepare(
        QStringLiteral("INSERT INTO player (id, volume, muted) VALUES (1, ?, ?) "
                       "ON CONFLICT (id) DO UPDATE SET volume = excluded.volume, "
                       "muted = excluded.muted"));
    query.addBindValue(OrNull(memory.volume));
    query.addBindValue(memory.muted ? QVariant(*memory.muted ? 1 : 0) : QVariant());
    if (!query.exec()) return Failed(QStringLiteral("write"), ErrorText(query.lastError()));
    return true;
}

bool HistoryStore::Failed(const QString& what, const QString& error) {
    if (!problemSaid_) {
        problemSaid_ = true;
        problem_ = QStringLiteral("kelto-player: the history in %1 could not be written (%2: %3)\n")
                       .arg(folder_, what, error);
    }
    return false;
}

QString HistoryStore::TakeProblem() { return std::exchange(problem_, {}); }

}  // namespace kelto::history
