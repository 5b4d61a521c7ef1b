#include "desktop/FolderClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace kelto::desktop {

namespace {

constexpr const char* kInterface = "org.kelto.Player.Folder";
// A player that does not take its files within this time is taken as hung.
constexpr int kHandOverTimeoutMs = 15000;
// The folder's player can end between our look and our call; so many tries.
constexpr int kClaimAttempts = 3;

QString RealPath(const QString& folder) {
    const QFileInfo info(folder);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absoluteFilePath() : real;
}

QString Key(const QString& realPath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(realPath.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool IsPrivateFolder(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

}  // namespace

FolderClaim::FolderClaim(const QString& folder, QDBusConnection bus, QString lockFolder)
    : folder_(RealPath(folder)), bus_(std::move(bus)) {
    const QString key = Key(folder_);
    busName_ = QStringLiteral("org.kelto.Player.Folder_") + key;
    if (lockFolder.isEmpty()) lockFolder = LockFolder();
    if (!lockFolder.isEmpty()) {
        lockPath_ = QDir(lockFolder).filePath(QStringLiteral("kelto-player-%1.lock").arg(key));
    }
}

FolderClaim::~FolderClaim() {
    if (registered_ && bus_.isConnected()) {
        bus_.unregisterService(busName_);
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString FolderClaim::LockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && QFileInfo(QString::fromLocal8Bit(runtime)).isDir()) {
        return QString::fromLocal8Bit(runtime);
    }
    const QByteArray fallback = "/tmp/kelto-" + QByteArray::number(::getuid());
    if (::mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST) return {};
    return IsPrivateFolder(fallback) ? QString::fromLocal8Bit(fallback) : QString();
}

int FolderClaim::TakeLock() {
    if (lockPath_.isEmpty()) return -1;
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? 0 : -1;
    }
    // For whoever looks at the file: which folder it guards.
    const QByteArray text = QFile::encodeName(folder_) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, text.constData(), text.size());
    }
    lockFd_ = fd;
    return 1;
}

bool FolderClaim::HandOver(const QStringList& files, QString* error) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(busName_, QString::fromLatin1(kObjectPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Open"));
    call << files;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kHandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    *error = reply.errorMessage();
    return false;
}

FolderClaim::Result FolderClaim::Claim(const QStringList& files) {
    const QString where = QDir::toNativeSeparators(folder_);
    if (bus_.isConnected() && bus_.interface() != nullptr) {
        bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                            QDBusConnection::ExportScriptableSlots);
        QString error;
        for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
            const auto reply = bus_.interface()->registerService(
                busName_, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
            if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
                registered_ = true;
                break;
            }
            if (HandOver(files, &error)) return {Outcome::HandedOver, {}};
        }
        if (!registered_) {
            return {Outcome::Refused,
                    QStringLiteral("kelto-player: a player already keeps the playlist in %1 but "
                                   "did not take the files: %2")
                        .arg(where, error)};
        }
    }
    switch (TakeLock()) {
        case 1:
            return {};
        case 0:
            return {Outcome::Refused,
                    QStringLiteral("kelto-player: a player already keeps the playlist in %1 and "
                                   "cannot be reached over a session bus; a second one would "
                                   "overwrite its edits, so this one does not start (lock %2)")
                        .arg(where, lockPath_)};
        default:
            return {Outcome::Run,
                    QStringLiteral("kelto-player: warning: cannot take the lock for %1 (%2); a "
                                   "second player started there would not be stopped")
                        .arg(where, lockPath_.isEmpty() ? QStringLiteral("no private lock folder")
                                                        : lockPath_)};
    }
}

void FolderClaim::Open(const QStringList& files) { emit filesArrived(files); }

}  // namespace kelto::desktop
