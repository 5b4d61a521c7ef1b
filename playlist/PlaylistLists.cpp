#include "playlist/PlaylistLists.h"

#include <QModelIndex>

#include "playlist/LineFile.h"

namespace kelto::playlist {

namespace {

std::vector<std::string> FileTextsOf(const QStringList& list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& text : list) texts.push_back(ToFileText(text));
    return texts;
}

QStringList ReadTexts(const std::filesystem::path& file) {
    QStringList texts;
    const bool read =
        ForEachLine(file, [&texts](std::string_view line) { texts.append(FromFileText(line)); });
    // A read that broke off part-way counts as no file: its lines would pair
    // with the other file's lines by position.
    if (!read) texts.clear();
    return texts;
}

QString TitleOfPathText(const QString& path) { return FromFileText(TitleOfPath(ToFileText(path))); }

}  // namespace

QString FromFileText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToFileText(const QString& text) { return text.toStdString(); }

PlaylistTexts LoadTexts(const PlaylistFiles& files) {
    PlaylistTexts texts{ReadTexts(files.TitlesFile()), ReadTexts(files.PathsFile())};
    if (texts.titles.size() == texts.paths.size()) return texts;
    // Files of unequal length were not written together (a save cut short, a
    // hand edit), so line i of one need not belong to line i of the other.
    // The titles this program writes are the file names of their paths, so
    // each path gets the title that is its file name.
    texts.titles.clear();
    texts.titles.reserve(texts.paths.size());
    for (const QString& path : texts.paths) texts.titles.append(TitleOfPathText(path));
    return texts;
}

PlaylistEntries EntriesOf(const PlaylistTexts& texts) {
    return PlaylistEntries{FileTextsOf(texts.titles), FileTextsOf(texts.paths)};
}

PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths) {
    return PlaylistEntries{FileTextsOf(titles.texts()), FileTextsOf(paths.texts())};
}

void AppendEntries(platform::ListBox& titles, platform::ListBox& paths,
                   const PlaylistTexts& texts) {
    titles.addItems(texts.titles);
    paths.addItems(texts.paths);
}

void SelectNothing(platform::ListBox& list) {
    // The view's own setter, unlike setCurrentRow, also marks the current row
    // as chosen, which is what stops the focus from choosing one.
    list.setCurrentIndex(QModelIndex());
}

}  // namespace kelto::playlist
