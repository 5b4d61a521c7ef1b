#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

namespace kelto::desktop {

// One player per playlist folder. Two players in one folder would each save
// the playlist after every edit and silently undo each other's, so a start in
// a folder that already has a player hands its files to that player over the
// session bus and ends. Without a session bus a lock file keyed by the
// folder's real path does the guarding: the later start says why on standard
// error and ends without touching the playlist. The lock is an flock on a file
// in the user's runtime folder ($XDG_RUNTIME_DIR, else /tmp/kelto-<uid>): the
// system lets go of it when the holder ends, killed or not, so a lock is
// never left stale.
//
//   FolderClaim claim(QDir::currentPath(), QDBusConnection::sessionBus());
//   const auto result = claim.Claim(files);   // before the window is built
//   if (result.outcome != FolderClaim::Outcome::Run) return ...;
//   connect(&claim, &FolderClaim::filesArrived, ...);   // later starts' files
class FolderClaim : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kelto.Player.Folder")
public:
    enum class Outcome {
        Run,         // this process is the folder's player
        HandedOver,  // the folder's player took the files; exit 0
        Refused,     // a player runs there and cannot be reached; exit 1
    };
    struct Result {
        Outcome outcome = Outcome::Run;
        // For standard error: why this start does not go on, or a warning.
        QString message;
    };

    static constexpr const char* kObjectPath = "/org/kelto/Player/Folder";

    // `lockFolder` empty: LockFolder().
    FolderClaim(const QString& folder, QDBusConnection bus, QString lockFolder = {});
    ~FolderClaim() override;

    // `files` as absolute paths, handed over when another player has the
    // folder. Call once.
    Result Claim(const QStringList& files);

    // Where the locks live: $XDG_RUNTIME_DIR when it is set to a folder,
    // otherwise /tmp/kelto-<uid> (made private to the user). Empty when that
    // folder is not the user's own and private, for a lock there could be
    // planted by someone else.
    static QString LockFolder();

    const QString& busName() const { return busName_; }
    const QString& lockPath() const { return lockPath_; }

public slots:
    // Called over the bus by a later start in the same folder.
    Q_SCRIPTABLE void Open(const QStringList& files);

signals:
    void filesArrived(const QStringList& files);

private:
    // 1 taken, 0 held by another process, -1 could not be tried.
    int TakeLock();
    bool HandOver(const QStringList& files, QString* error);

    QString folder_;
    QDBusConnection bus_;
    QString busName_;
    QString lockPath_;
    int lockFd_ = -1;
    bool registered_ = false;
};

}  // namespace kelto::desktop
