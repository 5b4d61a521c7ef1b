#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>

namespace kelto::ui {

// Widths and laid-out forms of the short texts a surface prints over and over
// (a marquee prints the same few characters dozens of times a second), so
// that each is shaped once per font rather than on every frame.
class LaidTextCache {
public:
    qreal Advance(const QFont& font, const QString& text);
    const QStaticText& Laid(const QFont& font, const QString& text);

private:
    // A cache holds one font's texts; another font starts it afresh.
    void Use(const QFont& font);

    // Enough for every character of a long title and then some; past it the
    // cache starts over rather than growing with whatever is printed.
    static constexpr qsizetype kMaxEntries = 512;

    QFont font_;
    bool hasFont_ = false;
    QHash<QString, qreal> advances_;
    QHash<QString, QStaticText> laid_;
};

}  // namespace kelto::ui
