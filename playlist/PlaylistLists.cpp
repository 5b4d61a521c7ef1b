#include "playlist/PlaylistLists.h"

#include <QModelIndex>
#include <optional>

#include "playlist/LineFile.h"
#include "playlist/LineText.h"

namespace kelto::playlist {

namespace {

std::vector<std::string> FileBytesOf(const QList<QByteArray>& list) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(list.size()));
    for (const QByteArray& bytes : list) lines.emplace_back(bytes.constData(), bytes.size());
    return lines;
}

// Nullopt for a missing file, and for one whose read broke off part-way: its
// lines would pair with the other file's lines by position.
std::optional<QList<QByteArray>> ReadLines(const std::filesystem::path& file) {
    QList<QByteArray> lines;
    const bool read = ForEachLine(file, [&lines](std::string_view line) {
        lines.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    });
    if (!read) return std::nullopt;
    return lines;
}

bool CanNameAFile(const QByteArray& line) {
    return line.size() <= kLongestPathLine && !line.contains('\0');
}

QByteArray TitleOfPathBytes(const QByteArray& path) {
    return QByteArray::fromStdString(TitleOfPath(path.toStdString()));
}

QString Counted(qsizetype count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace

QString FromFileText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToFileText(const QString& text) { return text.toStdString(); }

PlaylistTexts LoadTexts(const PlaylistFiles& files) {
    const QList<QByteArray> titles = ReadLines(files.TitlesFile()).value_or(QList<QByteArray>());
    const QList<QByteArray> paths = ReadLines(files.PathsFile()).value_or(QList<QByteArray>());
    // Files of unequal length were not written together (a save cut short, a
    // hand edit), so line i of one need not belong to line i of the other.
    // The titles this program writes are the file names of their paths, so
    // each path then gets the title that is its file name.
    const bool paired = titles.size() == paths.size();

    PlaylistTexts texts;
    texts.titleBytes.reserve(paths.size());
    texts.pathBytes.reserve(paths.size());
    qsizetype droppedPaths = 0;
    qsizetype replacedTitles = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QByteArray& path = paths.at(i);
        if (!CanNameAFile(path)) {
            ++droppedPaths;
            continue;
        }
        const bool titleUsable = paired && CanNameAFile(titles.at(i));
        if (paired && !titleUsable) ++replacedTitles;
        texts.titleBytes.append(titleUsable ? titles.at(i) : TitleOfPathBytes(path));
        texts.pathBytes.append(path);
    }
    texts.titles.reserve(texts.titleBytes.size());
    texts.paths.reserve(texts.pathBytes.size());
    for (const QByteArray& title : texts.titleBytes) {
        texts.titles.append(ShownText(std::string_view(title.constData(), title.size())));
    }
    for (const QByteArray& path : texts.pathBytes) {
        texts.paths.append(ShownText(std::string_view(path.constData(), path.size())));
    }

    QStringList changes;
    if (!paired) {
        changes.append(Counted(titles.size(), "title", "titles") + QStringLiteral(" for ") +
                       Counted(paths.size(), "path", "paths"));
    }
    if (droppedPaths > 0) {
        changes.append(Counted(droppedPaths, "path line", "path lines") +
                       QStringLiteral(" too long or holding a NUL byte left out"));
    }
    if (replacedTitles > 0) {
        changes.append(Counted(replacedTitles, "title", "titles") +
                       QStringLiteral(" too long or holding a NUL byte replaced by file names"));
    }
    texts.repaired = changes.join(QStringLiteral("; "));
    return texts;
}

PlaylistEntries EntriesOf(const PlaylistTexts& texts) {
    return PlaylistEntries{FileBytesOf(texts.titleBytes), FileBytesOf(texts.pathBytes)};
}

PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths) {
    return PlaylistEntries{FileBytesOf(titles.allBytes()), FileBytesOf(paths.allBytes())};
}

void AppendEntries(platform::ListBox& titles, platform::ListBox& paths,
                   const PlaylistTexts& texts) {
    titles.addItems(texts.titles, texts.titleBytes);
    paths.addItems(texts.paths, texts.pathBytes);
}

void SelectNothing(platform::ListBox& list) {
    // The view's own setter, unlike setCurrentRow, also marks the current row
    // as chosen, which is what stops the focus from choosing one.
    list.setCurrentIndex(QModelIndex());
}

}  // namespace kelto::playlist
