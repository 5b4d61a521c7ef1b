#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace kelto::ui {

// What a sound file shows in the video area, which has no picture of its
// own: the album's cover scaled to fit, the artist and title under it, green
// on the area's black. It covers the whole area and lets presses and drops
// through to it, so dragging the window and dropping files work as before.
class CoverView : public QWidget {
    Q_OBJECT
public:
    // Lies over `area` and follows its size.
    explicit CoverView(QWidget* area);

    // Shows `cover` (may be null: the caption alone) with `caption` under it.
    void Show(const QImage& cover, const QString& caption);
    // Back to the plain black area.
    void Clear();

    const QImage& cover() const { return cover_; }
    const QString& caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage cover_;
    QString caption_;
};

}  // namespace kelto::ui
