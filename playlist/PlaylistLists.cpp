#include "playlist/PlaylistLists.h"

#include <QModelIndex>
#include <QStringList>

namespace kelto::playlist {

namespace {

std::vector<std::string> TextsOf(const platform::ListBox& list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.count()));
    for (const QString& text : list.texts()) texts.push_back(ToFileText(text));
    return texts;
}

QStringList ToStringList(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) list.append(FromFileText(text));
    return list;
}

}  // namespace

QString FromFileText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToFileText(const QString& text) { return text.toStdString(); }

PlaylistEntries EntriesOf(const platform::ListBox& titles, const platform::ListBox& paths) {
    return PlaylistEntries{TextsOf(titles), TextsOf(paths)};
}

void AppendEntries(platform::ListBox& titles, platform::ListBox& paths, const PlaylistEntries& entries) {
    titles.addItems(ToStringList(entries.titles));
    paths.addItems(ToStringList(entries.paths));
}

void SelectNothing(platform::ListBox& list) {
    // The view's own setter, unlike setCurrentRow, also marks the current row
    // as chosen, which is what stops the focus from choosing one.
    list.setCurrentIndex(QModelIndex());
}

}  // namespace kelto::playlist
