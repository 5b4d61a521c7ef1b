#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <vector>

class QPainter;

namespace kelto::ui {

// A picture box: a plain coloured area that either hosts a video window drawn
// by someone else, or serves as a drawing surface that keeps what was printed
// on it (scale unit, font, colour, current position, text) and shows it from
// paintEvent.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class ScaleMode { Twips, Pixels, Characters };

    // One piece of printed text, in pixels of the drawing area.
    struct DrawnText {
        QPointF topLeft;
        QString text;
        QColor colour;
        QFont font;
    };

    // Width of the sunken edge when the box has a border.
    static constexpr int kBorderPixels = 2;
    // One character cell: 120 x 240 twips.
    static constexpr double kCharacterCellWidthPx = 8.0;
    static constexpr double kCharacterCellHeightPx = 16.0;

    explicit PictureBox(QWidget* parent = nullptr);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& colour);
    bool hasBorder() const { return border_; }
    void setBorder(bool on);

    // Gives the box a native window of its own, so that a video renderer can
    // put its picture window inside it. The box keeps painting its back colour:
    // the window system clips that to the parts no picture window covers, so
    // the area is never left with stale pixels or the last frame of a clip.
    void setVideoSurface();

    // --- drawing surface ---
    ScaleMode scaleMode() const { return scaleMode_; }
    void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    // Size of the drawing area (inside the border) in the current unit.
    double scaleWidth() const;
    double scaleHeight() const;

    void setFontName(const QString& family);
    void setFontSize(double points);
    double fontSize() const { return fontPoints_; }
    void setFontBold(bool on);
    void setFontItalic(bool on);
    void setFontUnderline(bool on);
    QFont drawFont() const { return drawFont_; }

    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor& colour) { foreColor_ = colour; }

    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }

    // Clears to the back colour and puts the current position at the origin.
    void cls();
    // Prints text at the current position with the current font and colour on
    // a transparent background, then moves the position past it.
    void print(const QString& text);

    const std::vector<DrawnText>& drawnTexts() const { return drawn_; }

    // What is printed and where printing goes on, to be put back after the
    // surface has drawn something else for a while.
    struct Printed {
        std::vector<DrawnText> drawn;
        double currentX = 0;
        double currentY = 0;
    };
    Printed printed() const { return {drawn_, currentX_, currentY_}; }
    void restore(Printed printed);

    // The drawing area as paintEvent paints it, in device pixels.
    QImage drawingAreaImage();
    // The classic two-pixel sunken edge along the inside of `outer`.
    static void PaintSunkenEdge(QPainter& painter, const QRect& outer);
    // The drawing area in widget pixels.
    QRect drawingArea() const;

signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt;
    // position in pixels of the widget.
    void MouseDown(int button, int shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void paintContent(QPainter& painter);
    struct LaidOut {
        QList<QGlyphRun> runs;
        qreal advance = 0;
    };
    const LaidOut& laidOut(const QFont& font, const QString& text);
    double unitWidthPx() const;
    double unitHeightPx() const;
    double unitPx(double characterCellPx) const;

    QColor backColor_{0, 0, 0};
    bool border_ = false;
    ScaleMode scaleMode_ = ScaleMode::Twips;
    QFont drawFont_;
    double fontPoints_ = 8.25;
    QColor foreColor_{0, 0, 0};
    double currentX_ = 0;
    double currentY_ = 0;
    std::vector<DrawnText> drawn_;
    QFont laidFont_;
    QHash<QString, LaidOut> laid_;
};

}  // namespace kelto::ui
