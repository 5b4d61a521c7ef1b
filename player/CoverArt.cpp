#include "player/CoverArt.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <utility>

namespace kelto::player {

namespace {

QString ImageSuffix(const QByteArray& bytes) {
    if (bytes.startsWith("\xff\xd8\xff")) return QStringLiteral(".jpg");
    if (bytes.startsWith("\x89PNG")) return QStringLiteral(".png");
    return QStringLiteral(".img");
}

}  // namespace

QString CoverBeside(const QString& mediaPath) {
    const QFileInfo media(mediaPath);
    if (mediaPath.isEmpty() || !media.isFile()) return {};
    const QFileInfoList found =
        media.dir().entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const char* name : {"cover", "folder", "front"}) {
        for (const char* suffix : {"jpg", "jpeg", "png"}) {
            for (const QFileInfo& each : found) {
                if (each.completeBaseName().compare(QLatin1String(name), Qt::CaseInsensitive) ==
                        0 &&
                    each.suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0) {
                    return each.absoluteFilePath();
                }
            }
        }
    }
    return {};
}

CoverCache::CoverCache(QString folder) : folder_(std::move(folder)) {}

QString CoverCache::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kelto-player/covers");
}

QString CoverCache::Store(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || !QDir().mkpath(folder_)) return {};
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    QString path =
        folder_ + QLatin1Char('/') +
        QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()) +
        ImageSuffix(data);
    QFile existing(path);
    if (existing.exists() && existing.size() == data.size()) {
        // Used again: it is among the last to go.
        existing.open(QIODevice::ReadWrite);
        existing.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    } else {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
            return {};
        }
    }
    Trim(path);
    return path;
}

void CoverCache::Trim(const QString& keep) {
    QFileInfoList covers = QDir(folder_).entryInfoList(QDir::Files, QDir::Time);  // newest first
    for (qsizetype i = kKeep; i < covers.size(); ++i) {
        if (covers[i].absoluteFilePath() != QFileInfo(keep).absoluteFilePath()) {
            QFile::remove(covers[i].absoluteFilePath());
        }
    }
}

}  // namespace kelto::player
