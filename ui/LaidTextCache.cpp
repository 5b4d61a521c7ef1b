#include "ui/LaidTextCache.h"

#include <QFontMetricsF>

namespace kelto::ui {

void LaidTextCache::Use(const QFont& font) {
    if (hasFont_ && font_ == font) return;
    font_ = font;
    hasFont_ = true;
    advances_.clear();
    laid_.clear();
}

qreal LaidTextCache::Advance(const QFont& font, const QString& text) {
    Use(font);
    if (const auto found = advances_.constFind(text); found != advances_.cend()) {
        return *found;
    }
    if (advances_.size() >= kMaxEntries) advances_.clear();
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    advances_.insert(text, advance);
    return advance;
}

const QStaticText& LaidTextCache::Laid(const QFont& font, const QString& text) {
    Use(font);
    auto found = laid_.find(text);
    if (found == laid_.end()) {
        if (laid_.size() >= kMaxEntries) laid_.clear();
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), font);
        found = laid_.insert(text, laid);
    }
    return *found;
}

}  // namespace kelto::ui
