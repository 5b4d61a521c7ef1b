#include "ui/LaidTextCache.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <limits>

namespace kelto::ui {

namespace {

// The widest line a layout takes (its fixed-point limit): QStaticText's own
// width when it is given none.
constexpr int kUnboundedLineWidthPx = std::numeric_limits<int>::max() / 256;
constexpr qreal kUnboundedLineWidth = kUnboundedLineWidthPx;

bool Decorated(const QFont& font) {
    return font.underline() || font.overline() || font.strikeOut();
}

bool BreaksLines(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            return true;
        }
    }
    return false;
}

}  // namespace

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

const LaidTextCache::Laid& LaidTextCache::LaidOut(const QString& text) {
    auto found = laid_.find(text);
    if (found != laid_.end()) return *found;
    if (laid_.size() >= kMaxEntries) laid_.clear();
    Laid laid;
    if (Decorated(font_) || BreaksLines(text)) {
        laid.whole = true;
        laid.staticText.setText(text);
        laid.staticText.setTextFormat(Qt::PlainText);
        laid.staticText.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.staticText.prepare(QTransform(), font_);
    } else {
        // The single line QStaticText lays out for plain text, with the same
        // options, so the glyphs land where it would put them.
        QTextLayout layout(text, font_);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(kUnboundedLineWidth);
            line.setPosition(QPointF(0.0, 0.0));
        }
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            laid.pieces.push_back({run.rawFont(), run.glyphIndexes(), run.positions()});
        }
    }
    return *laid_.insert(text, laid);
}

void LaidTextCache::Draw(QPainter& painter, const QFont& font, const QColor& colour,
                         QPointF topLeft, const QString& text) {
    Use(font);
    const Laid& laid = LaidOut(text);
    if (laid.whole) {
        Flush(painter);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawStaticText(topLeft, laid.staticText);
        return;
    }
    for (const Piece& piece : laid.pieces) {
        if (!batchGlyphs_.isEmpty() && (piece.face != batchFace_ || colour != batchColour_)) {
            Flush(painter);
        }
        if (batchGlyphs_.isEmpty()) {
            batchFace_ = piece.face;
            batchColour_ = colour;
        }
        batchGlyphs_.append(piece.glyphs);
        for (const QPointF& at : piece.positions) batchPositions_.append(topLeft + at);
    }
}

void LaidTextCache::Flush(QPainter& painter) {
    if (batchGlyphs_.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(batchFace_);
    run.setGlyphIndexes(batchGlyphs_);
    run.setPositions(batchPositions_);
    painter.setPen(batchColour_);
    painter.drawGlyphRun(QPointF(), run);
    batchGlyphs_.clear();
    batchPositions_.clear();
}

}  // namespace kelto::ui
