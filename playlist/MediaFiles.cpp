#include "playlist/MediaFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kelto::playlist {

namespace {

// Runs of digits compare by their value, everything else letter by letter
// without regard to case; the system's collation is not used, for in the C
// locale it has no numeric mode. Ties fall back to the plain text, so the
// order is total.
bool NaturallyBefore(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit()) ++endA;
            while (endB < b.size() && b[endB].isDigit()) ++endB;
            // Compare the values without converting: leading zeros off, then
            // the longer number is the larger, then digit by digit.
            QStringView digitsA = QStringView(a).mid(i, endA - i);
            QStringView digitsB = QStringView(b).mid(j, endB - j);
            while (digitsA.size() > 1 && digitsA.front() == QLatin1Char('0'))
                digitsA = digitsA.mid(1);
            while (digitsB.size() > 1 && digitsB.front() == QLatin1Char('0'))
                digitsB = digitsB.mid(1);
            if (digitsA.size() != digitsB.size()) return digitsA.size() < digitsB.size();
            if (const int order = digitsA.compare(digitsB); order != 0) return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        const QChar x = a[i].toCaseFolded();
        const QChar y = b[j].toCaseFolded();
        if (x != y) return x < y;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
    return a < b;
}

bool IsMedia(const QString& path, const platform::MediaProbe& probe) {
    return probe.Examine(QFile::encodeName(path).toStdString()).isMedia;
}

}  // namespace

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

QStringList MediaFilesBelow(const QString& folder, const platform::MediaProbe& probe) {
    const QDir base(folder);
    QStringList below;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (IsMedia(path, probe)) below.append(base.relativeFilePath(path));
    }
    std::sort(below.begin(), below.end(), NaturallyBefore);
    QStringList paths;
    paths.reserve(below.size());
    for (const QString& relative : below) paths.append(base.filePath(relative));
    return paths;
}

QStringList ExpandFolders(const QStringList& paths, const platform::MediaProbe& probe) {
    QStringList expanded;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            expanded.append(MediaFilesBelow(path, probe));
        } else {
            expanded.append(path);
        }
    }
    return expanded;
}

}  // namespace kelto::playlist
