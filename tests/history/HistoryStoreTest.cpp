#include "history/HistoryStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "history/FileKey.h"
#include "history/History.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::history {
namespace {

using kelto::testing::ReadBytes;
using kelto::testing::TempFolder;
using kelto::testing::WriteBytes;

QString Folder(const TempFolder& temp) {
    return QString::fromStdString((temp / "state" / "kelto-player").string());
}

QString Key(int i) { return QStringLiteral("key-%1").arg(i); }

// Asks the file itself, through a connection of its own.
QVariant AskFile(const QString& file, const QString& sql) {
    QVariant answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "probe");
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next()) answer = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase("probe");
    return answer;
}

TEST(HistoryStoreTest, KeepsFilesUnderDigestsPrunesTheOldestAndNamesItsVersion) {
    TempFolder temp;
    const std::filesystem::path film = temp / "Holiday in Rome.mkv";
    WriteBytes(film, "first cut");
    const QByteArray path = QByteArray::fromStdString(film.string());
    {
        History history(Folder(temp), 3);
        history.LeftAt(path, 4'360'000, 7'200'000);
        history.ChoseTracks(path, 2, 0);
        FileMemory recalled;
        QObject context;
        history.Recall(path, &context, [&](const FileMemory& m) { recalled = m; });
        ASSERT_TRUE(history.Drain(10000));
        QCoreApplication::processEvents();
        EXPECT_EQ(recalled.positionMs, 4'360'000);
        EXPECT_EQ(recalled.lengthMs, 7'200'000);
        EXPECT_EQ(recalled.audioTrack, 2);
        EXPECT_EQ(recalled.subtitleTrack, 0);
    }
    const QString file = Folder(temp) + "/history.sqlite";
    EXPECT_EQ(AskFile(file, "PRAGMA user_version").toInt(), HistoryStore::kSchemaVersion);
    EXPECT_EQ(AskFile(file, "PRAGMA journal_mode").toString(), "wal");
    // What was watched is not in the file (nor its journal) in clear.
    for (const char* part : {"", "-wal"}) {
        EXPECT_EQ(ReadBytes(file.toStdString() + part).find("Holiday"), std::string::npos);
    }

    // Three files fit; the least recently played goes: the film, played first.
    HistoryStore store(Folder(temp), 3);
    ASSERT_EQ(store.Open(), "");
    const QString filmKey = FileKey(path);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(store.RememberPosition(Key(i), 60'000 + i, 120'000));
    EXPECT_EQ(store.Recall(filmKey), FileMemory{});
    EXPECT_EQ(store.Recall(Key(0)).positionMs, 60'000);
    // Played again, key 0 is the newest; key 1 is the oldest now.
    ASSERT_TRUE(store.RememberTracks(Key(0), 1, std::nullopt));
    ASSERT_TRUE(store.RememberPosition(Key(3), 1, 2));
    EXPECT_EQ(store.Recall(Key(1)), FileMemory{});
    EXPECT_EQ(store.Recall(Key(0)), (FileMemory{60'000, 120'000, 1, std::nullopt}));
    ASSERT_TRUE(store.ForgetPosition(Key(0)));
    EXPECT_EQ(store.Recall(Key(0)), (FileMemory{std::nullopt, std::nullopt, 1, std::nullopt}));

    // The volume is kept once, for the player.
    EXPECT_EQ(store.RecallPlayer(), PlayerMemory{});
    ASSERT_TRUE(store.RememberPlayer({650, false}));
    ASSERT_TRUE(store.RememberPlayer({300, true}));
    EXPECT_EQ(store.RecallPlayer(), (PlayerMemory{300, true}));
}

TEST(HistoryStoreTest, AFileReplacedUnderItsNameStartsAfresh) {
    TempFolder temp;
    const std::filesystem::path film = temp / "film.mp4";
    WriteBytes(film, "one");
    const QByteArray path = QByteArray::fromStdString(film.string());
    const QString before = FileKey(path);
    ASSERT_FALSE(before.isEmpty());
    // Another way to the same file is the same file.
    EXPECT_EQ(FileKey(QByteArray::fromStdString((temp.path() / "." / "film.mp4").string())),
              before);
    WriteBytes(film, "other");
    EXPECT_NE(FileKey(path), before);
    EXPECT_EQ(FileKey("https://radio.example/stream"), "");
    EXPECT_EQ(FileKey(QByteArray::fromStdString(temp.path().string())), "");
}

TEST(HistoryStoreTest, ADamagedFileIsKeptAsideAndANewOneStarted) {
    TempFolder temp;
    std::filesystem::create_directories(temp / "state" / "kelto-player");
    const std::string garbage(8192, 'x');
    const std::filesystem::path file = temp / "state" / "kelto-player" / "history.sqlite";
    WriteBytes(file, garbage);
    {
        HistoryStore store(Folder(temp));
        const QString said = store.Open();
        EXPECT_NE(said.indexOf("damaged"), -1) << said.toStdString();
        EXPECT_NE(said.indexOf("history.sqlite.damaged"), -1) << said.toStdString();
        EXPECT_TRUE(store.persistent());
        ASSERT_TRUE(store.RememberPosition(Key(1), 45'000, 90'000));
    }
    EXPECT_EQ(ReadBytes(file.string() + ".damaged"), garbage);
    HistoryStore again(Folder(temp));
    EXPECT_EQ(again.Open(), "");
    EXPECT_EQ(again.Recall(Key(1)).positionMs, 45'000);
}

TEST(HistoryStoreTest, AnUnusableFolderOrAFullDiskCostsOnlyTheMemory) {
    TempFolder temp;
    // The state folder cannot be made: a file stands where it would go.
    WriteBytes(temp / "state", "not a folder");
    {
        HistoryStore store(Folder(temp));
        const QString said = store.Open();
        EXPECT_NE(said.indexOf("cannot be kept"), -1) << said.toStdString();
        EXPECT_FALSE(store.persistent());
        // The session still remembers.
        ASSERT_TRUE(store.RememberPosition(Key(1), 45'000, 90'000));
        EXPECT_EQ(store.Recall(Key(1)).positionMs, 45'000);
    }
    std::filesystem::remove(temp / "state");

    // A disk gone full: the write fails, is said once, and the store goes on.
    HistoryStore store(Folder(temp));
    ASSERT_EQ(store.Open(), "");
    ASSERT_TRUE(store.RememberPosition(Key(0), 45'000, 90'000));
    {
        const auto size =
            std::filesystem::file_size(Folder(temp).toStdString() + "/history.sqlite-wal");
        kelto::testing::FileSizeLimit full(size);
        bool anyFailed = false;
        for (int i = 1; i < 200 && !anyFailed; ++i) {
            anyFailed = !store.RememberPosition(Key(i), 45'000 + i, 90'000);
        }
        ASSERT_TRUE(anyFailed);
        EXPECT_NE(store.TakeProblem().indexOf("could not be written"), -1);
        EXPECT_FALSE(store.RememberPosition(Key(999), 1, 2));
        EXPECT_EQ(store.TakeProblem(), "");
    }
    EXPECT_EQ(store.Recall(Key(0)).positionMs, 45'000);
}

TEST(HistoryStoreTest, AReadOnlyFolderCostsOnlyTheMemory) {
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user may write into read-only folders";
    TempFolder temp;
    {
        HistoryStore store(Folder(temp));
        ASSERT_EQ(store.Open(), "");
        ASSERT_TRUE(store.RememberPosition(Key(1), 45'000, 90'000));
    }
    ::chmod(Folder(temp).toLocal8Bit().constData(), 0500);
    HistoryStore store(Folder(temp));
    const QString said = store.Open();
    EXPECT_NE(said.indexOf("cannot be kept"), -1) << said.toStdString();
    EXPECT_TRUE(store.RememberPosition(Key(2), 45'000, 90'000));
    ::chmod(Folder(temp).toLocal8Bit().constData(), 0700);

    // The file alone read-only.
    ::chmod((Folder(temp) + "/history.sqlite").toLocal8Bit().constData(), 0400);
    HistoryStore again(Folder(temp));
    EXPECT_NE(again.Open().indexOf("cannot be kept"), -1);
}

TEST(HistoryStoreTest, TwoPlayersWritingAtOnceLoseNoRow) {
    TempFolder temp;
    constexpr int kRows = 150;
    {
        HistoryStore first(Folder(temp));
        ASSERT_EQ(first.Open(), "");
    }
    // A third writer holds the file while the two start, so they must wait for it.
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
    holder.setDatabaseName(Folder(temp) + "/history.sqlite");
    ASSERT_TRUE(holder.open());
    QSqlQuery hold(holder);
    ASSERT_TRUE(hold.exec("BEGIN IMMEDIATE"));
    std::atomic<int> started{0};
    std::atomic<int> failures{0};
    auto player = [&](int which) {
        HistoryStore store(Folder(temp));
        if (!store.Open().isEmpty()) ++failures;
        ++started;
        for (int i = 0; i < kRows; ++i) {
            if (!store.RememberPosition(QStringLiteral("p%1-%2").arg(which).arg(i), i, kRows)) {
                ++failures;
            }
        }
    };
    std::thread one(player, 1);
    std::thread two(player, 2);
    while (started < 2) std::this_thread::yield();
    ASSERT_TRUE(hold.exec("COMMIT"));
    one.join();
    two.join();
    hold = QSqlQuery();
    holder = QSqlDatabase();
    QSqlDatabase::removeDatabase("holder");
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(AskFile(Folder(temp) + "/history.sqlite", "SELECT count(*) FROM files").toInt(),
              2 * kRows);
}

TEST(HistoryStoreTest, ForgetDeletesTheHistoryAndSaysWhere) {
    TempFolder temp;
    {
        HistoryStore store(Folder(temp));
        ASSERT_EQ(store.Open(), "");
        ASSERT_TRUE(store.RememberPosition(Key(1), 45'000, 90'000));
    }
    bool ok = false;
    EXPECT_NE(HistoryStore::Forget(Folder(temp), &ok).indexOf("deleted"), -1);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::filesystem::is_empty(Folder(temp).toStdString()));
    EXPECT_NE(HistoryStore::Forget(Folder(temp), &ok).indexOf("no history"), -1);
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace kelto::history
