#include "playlist/PlaylistLists.h"

#include <QModelIndex>
#include <QStringList>

namespace kelto::playlist {

namespace {

std::vector<std::string> TextsOf(const QListWidget& list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row)
        texts.push_back(ToFileText(list.item(row)->text()));
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

PlaylistEntries EntriesOf(const QListWidget& titles, const QListWidget& paths) {
    return PlaylistEntries{TextsOf(titles), TextsOf(paths)};
}

void AppendEntries(QListWidget& titles, QListWidget& paths, const PlaylistEntries& entries) {
    titles.addItems(ToStringList(entries.titles));
    paths.addItems(ToStringList(entries.paths));
}

void SelectNothing(QListWidget& list) {
    // The view's own setter, unlike setCurrentRow, also marks the current row
    // as chosen, which is what stops the focus from choosing one.
    list.setCurrentIndex(QModelIndex());
}

}  // namespace kelto::playlist
