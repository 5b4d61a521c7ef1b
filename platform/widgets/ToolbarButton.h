#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

namespace kelto::platform {

// One button of an asxToolbar. It draws itself so that the bar's text and
// back colours hold under any widget style, and so that the program-owned
// flag can be shown without making the button checkable (a click must never
// flip the flag).
class ToolbarButton : public QAbstractButton {
    Q_OBJECT
public:
    ToolbarButton(const QString& caption, const QString& key, QWidget* parent = nullptr);

    const QString& key() const { return key_; }

    bool flag() const { return flag_; }
    void setFlag(bool on);

    void setColours(const QColor& text, const QColor& back);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString key_;
    bool flag_ = false;
    bool hovered_ = false;
    QColor text_{0, 255, 0};
    QColor back_{0, 0, 0};
};

}  // namespace kelto::platform
