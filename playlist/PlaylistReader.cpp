#include "playlist/PlaylistReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>
#include <QXmlStreamReader>
#include <map>
#include <string_view>

#include "playlist/LineText.h"
#include "playlist/WebAddress.h"

namespace kelto::playlist {

namespace {

// Far beyond any playlist people keep (a million entries); a larger file is
// not read into memory on the chance that it is one.
constexpr qint64 kLargestPlaylist = 256LL * 1024 * 1024;

// Lines as LineText shows them (UTF-8, else the Western code page of the
// other system), a byte-order mark dropped, every line trimmed.
QStringList TextLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start <= bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        const std::string_view line(bytes.constData() + start, static_cast<size_t>(end - start));
        if (!line.empty()) lines.append(ShownText(line).trimmed());
        start = end + 1;
    }
    return lines;
}

bool HasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(text).hasMatch();
}

// A location written in a line-based playlist, taken from `folder`.
PlaylistItem LineLocation(const QString& written, const QString& folder) {
    PlaylistItem item;
    item.written = written;
    if (IsWebAddress(written)) {
        item.location = written;
        return item;
    }
    if (written.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(written);
        const QString host = url.host();
        if (url.isLocalFile() && (host.isEmpty() || host == QLatin1String("localhost"))) {
            item.location = QDir::cleanPath(url.toLocalFile());
        } else {
            item.refusal = QStringLiteral("not a file on this computer");
        }
        return item;
    }
    if (HasScheme(written)) {
        item.refusal = QStringLiteral("neither a file nor an http:// or https:// address");
        return item;
    }
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (drive.match(written).hasMatch()) {
        item.refusal = QStringLiteral("a path on a drive of another system");
        return item;
    }
    QString path = written;
    // Playlists made on the other system separate folders with backslashes;
    // a name that really holds one is found as it is written.
    const QString asWritten = QDir::isAbsolutePath(path) ? path : QDir(folder).filePath(path);
    if (path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('/')) &&
        !QFileInfo::exists(asWritten)) {
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    item.location =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir(folder).filePath(path));
    return item;
}

// The title of an "#EXTINF:<length> [attributes],<title>" line: what follows
// the first comma outside quoted attribute values.
QString ExtinfTitle(const QString& line) {
    bool quoted = false;
    for (qsizetype i = 8; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"')) quoted = !quoted;
        if (line[i] == QLatin1Char(',') && !quoted) return line.mid(i + 1).trimmed();
    }
    return {};
}

void ReadM3u(const QByteArray& bytes, const QString& folder, PlaylistContents& contents) {
    QString title;
    for (const QString& line : TextLines(bytes)) {
        if (line.isEmpty()) continue;
        if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
            title = ExtinfTitle(line);
            continue;
        }
        if (line.startsWith(QLatin1Char('#'))) continue;
        PlaylistItem item = LineLocation(line, folder);
        item.title = title;
        title.clear();
        contents.items.push_back(std::move(item));
    }
}

void ReadPls(const QByteArray& bytes, const QString& folder, PlaylistContents& contents) {
    // Numbered keys, in number order whatever the order of the lines.
    std::map<int, QString> files;
    std::map<int, QString> titles;
    for (const QString& line : TextLines(bytes)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char(';')) || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        for (auto [name, into] : {std::pair{QLatin1String("File"), &files},
                                  std::pair{QLatin1String("Title"), &titles}}) {
            if (!key.startsWith(name, Qt::CaseInsensitive)) continue;
            bool number = false;
            const int n = key.mid(name.size()).toInt(&number);
            if (number) (*into)[n] = value;
        }
    }
    for (const auto& [n, written] : files) {
        if (written.isEmpty()) continue;
        PlaylistItem item = LineLocation(written, folder);
        if (const auto title = titles.find(n); title != titles.end()) item.title = title->second;
        contents.items.push_back(std::move(item));
    }
}

void ReadXspf(const QByteArray& bytes, const QString& path, PlaylistContents& contents) {
    const QUrl base = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    QXmlStreamReader xml(bytes);
    int depth = 0;
    int trackDepth = -1;
    PlaylistItem track;
    bool located = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (trackDepth < 0 && xml.name() == QLatin1String("track")) {
                trackDepth = depth;
                track = {};
                located = false;
            } else if (trackDepth >= 0 && depth == trackDepth + 1) {
                const bool isLocation = xml.name() == QLatin1String("location");
                const bool isTitle = xml.name() == QLatin1String("title");
                if (!isLocation && !isTitle) continue;
                const QString text =
                    xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                --depth;  // readElementText consumed the end element
                if (isTitle) {
                    track.title = text;
                } else if (!located) {
                    // A track may list several places of one file; the first is taken.
                    located = true;
                    track.written = text;
                    if (IsWebAddress(text)) {
                        track.location = text;
                    } else if (const QUrl url = base.resolved(QUrl(text)); url.isLocalFile()) {
                        track.location = QDir::cleanPath(url.toLocalFile());
                    } else {
                        track.refusal =
                            QStringLiteral("neither a file nor an http:// or https:// address");
                    }
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == trackDepth) {
                trackDepth = -1;
                if (located) contents.items.push_back(track);
            }
            --depth;
        }
    }
    if (xml.hasError()) {
        contents.error = QStringLiteral("not a well-formed XSPF file (line %1: %2)")
                             .arg(xml.lineNumber())
                             .arg(xml.errorString());
    }
}

}  // namespace

PlaylistFormat PlaylistFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8"))
        return PlaylistFormat::M3u;
    if (suffix == QLatin1String("pls")) return PlaylistFormat::Pls;
    if (suffix == QLatin1String("xspf")) return PlaylistFormat::Xspf;
    return PlaylistFormat::None;
}

PlaylistContents ReadPlaylist(const QString& path) {
    PlaylistContents contents;
    const QFileInfo info(path);
    if (!info.isFile()) {
        contents.error =
            info.exists() ? QStringLiteral("not a regular file") : QStringLiteral("no such file");
        return contents;
    }
    if (info.size() > kLargestPlaylist) {
        contents.error = QStringLiteral("too large for a playlist");
        return contents;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    const QByteArray bytes = file.readAll();
    const QString folder = info.absolutePath();
    switch (PlaylistFormatOf(path)) {
        case PlaylistFormat::M3u:
            ReadM3u(bytes, folder, contents);
            break;
        case PlaylistFormat::Pls:
            ReadPls(bytes, folder, contents);
            break;
        case PlaylistFormat::Xspf:
            ReadXspf(bytes, path, contents);
            break;
        case PlaylistFormat::None:
            contents.error = QStringLiteral("not a playlist file");
            break;
    }
    return contents;
}

bool WriteM3u8(const QString& file, const QStringList& titles, const QList<QByteArray>& paths,
               QString* error) {
    QByteArray text = "#EXTM3U\n";
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QString title = i < titles.size() ? titles[i] : QString();
        title.replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        QByteArray path = paths[i];
        if (!path.startsWith('/') && !IsWebAddress(QString::fromUtf8(path)))
            path = QFile::encodeName(QDir::current().absoluteFilePath(QFile::decodeName(path)));
        text += "#EXTINF:-1," + title.toUtf8() + '\n' + path + '\n';
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        if (error != nullptr) *error = out.errorString();
        return false;
    }
    return true;
}

}  // namespace kelto::playlist
