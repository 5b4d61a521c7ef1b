#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <vector>

namespace kelto::platform {

class ToolbarButton;

// A row of text buttons. A click is reported with the button's index (from 1)
// and key; each button also carries a Boolean flag that only the program sets
// and that the button shows with a pressed look.
class asxToolbar : public QWidget {
    Q_OBJECT
public:
    struct Button {
        QString caption;
        QString key;
        QString tooltip;
    };

    static constexpr int kDefaultButtonGap = 1;

    explicit asxToolbar(QWidget* parent = nullptr);

    void setButtons(const std::vector<Button>& buttons);
    int buttonCount() const { return static_cast<int>(buttons_.size()); }

    bool ButtonChecked(int index) const;
    void setButtonChecked(int index, bool checked);

    // For tests and layout checks; nullptr when out of range.
    QAbstractButton* button(int index) const;
    QString buttonKey(int index) const;

    QColor textcolor() const { return textColor_; }
    void setTextcolor(const QColor& colour);
    QColor backcolor() const { return backColor_; }
    void setBackcolor(const QColor& colour);
    int buttongap() const { return buttonGap_; }
    void setButtongap(int gap);
    // Every bar of the window sizes each button to its caption.
    static constexpr bool autosize() { return true; }

signals:
    void ButtonClick(int index, const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ToolbarButton* at(int index) const;
    void relayout();

    std::vector<ToolbarButton*> buttons_;
    QColor textColor_{0, 255, 0};
    QColor backColor_{0, 0, 0};
    int buttonGap_ = kDefaultButtonGap;
};

}  // namespace kelto::platform
