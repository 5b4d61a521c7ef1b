#include "playlist/MediaFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "playlist/NaturalOrder.h"

namespace kelto::playlist {

QString MediaRefusalOf(const QString& path, const platform::MediaProbe& probe) {
    const platform::MediaContent content = probe.Examine(QFile::encodeName(path).toStdString());
    if (content.isMedia) return {};
    const QFileInfo info(path);
    if (info.exists() && info.size() == 0) return QStringLiteral("not a media file (it is empty)");
    if (content.kind.empty()) {
        return QStringLiteral(
            "not a media file (its content is of no kind the media engine knows)");
    }
    return QStringLiteral("not a media file (its content is %1)")
        .arg(QString::fromStdString(content.kind));
}

bool FitsPlaylistLine(const QString& text) {
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

QString RefusalOf(const QString& path, const platform::MediaProbe& probe) {
    if (path.isEmpty()) return QStringLiteral("no file name");
    if (!FitsPlaylistLine(path)) {
        return QStringLiteral("its name has a line break, which the playlist files cannot hold");
    }
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("no such file");
    if (!info.isFile()) return QStringLiteral("not a regular file");
    return MediaRefusalOf(path, probe);
}

namespace {

void CollectFilesBelow(const QString& folder, const std::function<bool()>& stopped,
                       QStringList& files) {
    QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return NaturallyBefore(a.fileName(), b.fileName());
    });
    for (const QFileInfo& entry : entries) {
        if (stopped && stopped()) return;
        if (!entry.isDir()) {
            files.append(entry.filePath());
        } else if (!entry.isSymLink()) {
            CollectFilesBelow(entry.filePath(), stopped, files);
        }
    }
}

}  // namespace

QStringList FilesBelow(const QString& folder, const std::function<bool()>& stopped) {
    QStringList files;
    CollectFilesBelow(QDir(folder).absolutePath(), stopped, files);
    return files;
}

}  // namespace kelto::playlist
