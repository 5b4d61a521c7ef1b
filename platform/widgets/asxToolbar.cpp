#include "platform/widgets/asxToolbar.h"

#include <QEvent>
#include <QPainter>

#include "platform/widgets/ToolbarButton.h"

namespace kelto::platform {

asxToolbar::asxToolbar(QWidget* parent) : QWidget(parent) {}

void asxToolbar::setButtons(const std::vector<Button>& buttons) {
    for (ToolbarButton* old : buttons_) delete old;
    buttons_.clear();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* created = new ToolbarButton(buttons[i].caption, buttons[i].key, this);
        created->setToolTip(buttons[i].tooltip);
        created->setFont(font());
        created->setColours(textColor_, backColor_);
        const int index = static_cast<int>(i) + 1;
        connect(created, &QAbstractButton::clicked, this,
                [this, index, created] { emit ButtonClick(index, created->key()); });
        created->show();
        buttons_.push_back(created);
    }
    relayout();
}

ToolbarButton* asxToolbar::at(int index) const {
    if (index < 1 || index > buttonCount()) return nullptr;
    return buttons_[static_cast<std::size_t>(index - 1)];
}

bool asxToolbar::ButtonChecked(int index) const {
    const ToolbarButton* target = at(index);
    return target != nullptr && target->flag();
}

void asxToolbar::setButtonChecked(int index, bool checked) {
    if (ToolbarButton* target = at(index)) target->setFlag(checked);
}

QAbstractButton* asxToolbar::button(int index) const { return at(index); }

QString asxToolbar::buttonKey(int index) const {
    const ToolbarButton* target = at(index);
    return target != nullptr ? target->key() : QString();
}

void asxToolbar::setTextcolor(const QColor& colour) {
    textColor_ = colour;
    for (ToolbarButton* b : buttons_) b->setColours(textColor_, backColor_);
}

void asxToolbar::setBackcolor(const QColor& colour) {
    backColor_ = colour;
    for (ToolbarButton* b : buttons_) b->setColours(textColor_, backColor_);
    update();
}

void asxToolbar::setButtongap(int gap) {
    buttonGap_ = gap < 0 ? 0 : gap;
    relayout();
}

void asxToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor_);
}

void asxToolbar::resizeEvent(QResizeEvent*) { relayout(); }

void asxToolbar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        for (ToolbarButton* b : buttons_) b->setFont(font());
        relayout();
    }
    QWidget::changeEvent(event);
}

void asxToolbar::relayout() {
    if (buttons_.empty()) return;
    int x = 0;
    for (ToolbarButton* b : buttons_) {
        const int w = b->sizeHint().width();
        b->setGeometry(x, 0, w, height());
        x += w + buttonGap_;
    }
}

}  // namespace kelto::platform
