#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QStaticText>
#include <QString>
#include <vector>

class QPainter;

namespace kelto::ui {

// Widths and laid-out glyphs of the short texts a surface prints over and
// over (a marquee prints the same few characters dozens of times a second),
// so that each is shaped once per font rather than on every frame, and a
// whole frame of them reaches the painter as one run of glyphs per face.
class LaidTextCache {
public:
    qreal Advance(const QFont& font, const QString& text);

    // Draws `text` with its top left at `topLeft`, pixel for pixel as
    // QPainter::drawStaticText would. Glyphs are gathered while the face and
    // colour stay the same and go out in order, at the latest at Flush.
    void Draw(QPainter& painter, const QFont& font, const QColor& colour, QPointF topLeft,
              const QString& text);
    void Flush(QPainter& painter);

private:
    // The glyphs of one face within a laid-out text, placed from its top left.
    struct Piece {
        QRawFont face;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    struct Laid {
        std::vector<Piece> pieces;
        // Decorations and line breaks are left to QStaticText.
        bool whole = false;
        QStaticText staticText;
    };

    // A cache holds one font's texts; another font starts it afresh.
    void Use(const QFont& font);
    const Laid& LaidOut(const QString& text);

    // Enough for every character of a long title and then some; past it the
    // cache starts over rather than growing with whatever is printed.
    static constexpr qsizetype kMaxEntries = 512;

    QFont font_;
    bool hasFont_ = false;
    QHash<QString, qreal> advances_;
    QHash<QString, Laid> laid_;

    // Glyphs gathered for the next call to the painter.
    QRawFont batchFace_;
    QColor batchColour_;
    QList<quint32> batchGlyphs_;
    QList<QPointF> batchPositions_;
};

}  // namespace kelto::ui
