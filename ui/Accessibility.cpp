#include "ui/Accessibility.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/Form1.h"

namespace kelto::ui {

namespace {

// Each step of the slider is two seconds of playing time (the seek's own rule).
constexpr int kSecondsPerSliderStep = 2;
// A reader hears each control change at most this often.
constexpr int kAnnounceIntervalMs = 1000;

QString Clock(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The window's shown controls as a reader meets them, top to bottom and the
// close bar last, as Tab goes. The key box counts only in full screen.
std::vector<QWidget*> ReaderChildren(const Form1& form) {
    std::vector<QWidget*> children = {form.Label2,       form.asxToolbar1, form.Meter31,
                                      form.Picture2,     form.cpvSlider1,  form.Check,
                                      form.lbcurrentime, form.asxToolbar2, form.List1,
                                      form.Picture1,     form.LbResult};
    if (form.isMaximisedState()) children.push_back(form.txtfull);
    children.push_back(form.asxToolbar3);
    return children;
}

constexpr const char* kResultPurpose = "Result of the last command";
// The property that keeps the text a label showed when the window was built.
constexpr const char* kDesignCaption = "keltoDesignCaption";

// Marks the interfaces made here, to tell them from any Qt made before the
// factory was there.
struct OwnInterface {};

class FormAccessible : public QAccessibleWidget, public OwnInterface {
public:
    explicit FormAccessible(Form1* form) : QAccessibleWidget(form, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto list = children();
        if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
        return QAccessible::queryAccessibleInterface(list[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) return -1;
        const auto list = children();
        const auto found = std::find(list.begin(), list.end(), child->object());
        return found == list.end() ? -1 : static_cast<int>(found - list.begin());
    }

private:
    std::vector<QWidget*> children() const {
        return ReaderChildren(*static_cast<const Form1*>(widget()));
    }
};

// A control with a fixed role and name of its own.
class Named : public QAccessibleWidget, public OwnInterface {
public:
    Named(QWidget* widget, QAccessible::Role role, QString name)
        : QAccessibleWidget(widget, role), name_(std::move(name)) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? name_ : QAccessibleWidget::text(t);
    }

private:
    QString name_;
};

// Text the window shows (the time, the title strip, the command result): the
// name is the text itself, or what the control is for while it shows none.
class ShownText : public QAccessibleWidget, public OwnInterface {
public:
    ShownText(QWidget* widget, QString purpose, std::function<QString()> current,
              bool keepLastText = false)
        : QAccessibleWidget(widget, QAccessible::StaticText),
          purpose_(std::move(purpose)),
          current_(std::move(current)),
          keepLast_(keepLastText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) return purpose_;
        if (t != QAccessible::Name && t != QAccessible::Value) return QAccessibleWidget::text(t);
        const QString now = current_().trimmed();
        // The strip is blank between passes of its title; the title still stands.
        if (!now.isEmpty() && keepLast_) last_ = now;
        const QString shown = keepLast_ ? last_ : now;
        return shown.isEmpty() && t == QAccessible::Name ? purpose_ : shown;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        // The command result is kept in a label the layout hides; it is the one
        // place a failure is told, so a reader gets it all the same.
        s.invisible = false;
        s.offscreen = false;
        return s;
    }

private:
    QString purpose_;
    std::function<QString()> current_;
    bool keepLast_;
    mutable QString last_;
};

class SliderAccessible : public QAccessibleWidget,
                         public QAccessibleValueInterface,
                         public OwnInterface {
public:
    SliderAccessible(platform::cpvSlider* slider, const Form1* form)
        : QAccessibleWidget(slider, QAccessible::Slider), form_(form) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return QStringLiteral("Seek");
            // Readers that speak no value text speak the description.
            case QAccessible::Value:
            case QAccessible::Description:
                return SliderPositionText(*form_);
            default:
                return QAccessibleWidget::text(t);
        }
    }
    QVariant currentValue() const override { return slider()->value(); }
    // A reader that moves the slider seeks as a key on it does.
    void setCurrentValue(const QVariant& value) override {
        const int before = slider()->value();
        slider()->setValue(value.toInt());
        if (slider()->value() != before) emit slider()->Change();
    }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    platform::cpvSlider* slider() const { return static_cast<platform::cpvSlider*>(widget()); }
    const Form1* form_;
};

int MeterPercent(const Meter3& meter) { return meter.Value() * 100 / Meter3::kMaxValue; }

class MeterAccessible : public QAccessibleWidget,
                        public QAccessibleValueInterface,
                        public OwnInterface {
public:
    explicit MeterAccessible(Meter3* meter) : QAccessibleWidget(meter, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QStringLiteral("Progress");
        if (t == QAccessible::Value) return QStringLiteral("%1%").arg(currentValue().toInt());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override {
        return MeterPercent(*static_cast<const Meter3*>(widget()));
    }
    void setCurrentValue(const QVariant&) override {}  // shows progress, takes none
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 100 / Meter3::kMaxValue; }
};

QString StripText(const PictureBox& strip) {
    QString text;
    for (const PictureBox::DrawnText& piece : strip.drawnTexts()) text += piece.text;
    return text;
}

QAccessibleInterface* InterfaceFor(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (auto* form = qobject_cast<Form1*>(widget)) return new FormAccessible(form);
    const auto* form = qobject_cast<const Form1*>(widget->parentWidget());
    if (form == nullptr) return nullptr;
    if (widget == form->cpvSlider1) return new SliderAccessible(form->cpvSlider1, form);
    if (widget == form->Meter31) return new MeterAccessible(form->Meter31);
    if (widget == form->asxToolbar1)
        return new Named(widget, QAccessible::ToolBar, QStringLiteral("Transport"));
    if (widget == form->asxToolbar2)
        return new Named(widget, QAccessible::ToolBar, QStringLiteral("Playlist bar"));
    if (widget == form->asxToolbar3)
        return new Named(widget, QAccessible::ToolBar, QStringLiteral("Close bar"));
    if (widget == form->Picture1)
        return new Named(widget, QAccessible::Graphic, QStringLiteral("Video area"));
    if (widget == form->lbcurrentime) {
        const QLabel* label = form->lbcurrentime;
        return new ShownText(widget, QStringLiteral("Elapsed and total time"),
                             [label] { return label->text(); });
    }
    if (widget == form->LbResult) {
        const QLabel* label = form->LbResult;
        // Until the first command the line shows the caption it was designed
        // with ("Label1"), which tells nothing: a reader meets it empty.
        return new ShownText(widget, QString::fromLatin1(kResultPurpose), [label] {
            const QString text = label->text();
            return text == label->property(kDesignCaption).toString() ? QString() : text;
        });
    }
    if (widget == form->Picture2) {
        const PictureBox* strip = form->Picture2;
        return new ShownText(
            widget, QStringLiteral("Title strip"), [strip] { return StripText(*strip); }, true);
    }
    return nullptr;
}

// Tells a listening reader what changed, once a second at most: a change seen
// within the second goes out, with the value of that moment, when it ends.
class Announcer final : public QObject, public QAccessible::ActivationObserver {
public:
    explicit Announcer(Form1& form) : QObject(&form), form_(form) {
        timer_.setInterval(kAnnounceIntervalMs);
        connect(&timer_, &QTimer::timeout, this, &Announcer::tick);
        // A move the user made is told at once; it is one gesture, not a stream.
        connect(form.cpvSlider1, &platform::cpvSlider::Change, this, [this] {
            if (!QAccessible::isActive()) return;
            last_.slider = form_.cpvSlider1->value();
            QAccessibleValueChangeEvent event(form_.cpvSlider1, last_.slider);
            QAccessible::updateAccessibility(&event);
        });
        QAccessible::installActivationObserver(this);
        run(QAccessible::isActive());
    }
    ~Announcer() override { QAccessible::removeActivationObserver(this); }

    void accessibilityActiveChanged(bool active) override { run(active); }

private:
    void run(bool active) {
        if (!active) {
            timer_.stop();
            return;
        }
        last_ = now();
        timer_.start();
    }

    struct Seen {
        int slider = 0;
        int meter = 0;
        QString time;
        QString strip;
        QString result;
    };

    static QString NameOf(QWidget* widget) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface != nullptr ? iface->text(QAccessible::Name) : QString();
    }

    Seen now() const {
        return {form_.cpvSlider1->value(), MeterPercent(*form_.Meter31), NameOf(form_.lbcurrentime),
                NameOf(form_.Picture2), NameOf(form_.LbResult)};
    }

    static void NameChanged(QWidget* widget) {
        QAccessibleEvent event(widget, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }

    void tick() {
        const Seen seen = now();
        if (seen.slider != last_.slider) {
            QAccessibleValueChangeEvent event(form_.cpvSlider1, seen.slider);
            QAccessible::updateAccessibility(&event);
        }
        if (seen.meter != last_.meter) {
            QAccessibleValueChangeEvent event(form_.Meter31, seen.meter);
            QAccessible::updateAccessibility(&event);
        }
        if (seen.time != last_.time) NameChanged(form_.lbcurrentime);
        if (seen.strip != last_.strip) NameChanged(form_.Picture2);
        if (seen.result != last_.result) NameChanged(form_.LbResult);
        last_ = seen;
    }

    Form1& form_;
    QTimer timer_;
    Seen last_;
};

}  // namespace

QString SliderPositionText(const Form1& form) {
    const int seconds = std::max(0, form.cpvSlider1->value()) * kSecondsPerSliderStep;
    const int total = form.state.totalSeconds;
    if (total <= 0) return Clock(seconds);
    return Clock(seconds) + QStringLiteral(" of ") + Clock(total);
}

void EnableAccessibility(Form1& form) {
    static const bool installed = [] {
        QAccessible::installFactory(&InterfaceFor);
        return true;
    }();
    (void)installed;
    // A control hidden while the window was built announced itself then, and
    // Qt made and kept a plain interface for it; make it again through ours.
    for (QWidget* widget : std::initializer_list<QWidget*>{
             &form, form.cpvSlider1, form.Meter31, form.asxToolbar1, form.asxToolbar2,
             form.asxToolbar3, form.Picture1, form.Picture2, form.lbcurrentime, form.LbResult}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        if (iface != nullptr && dynamic_cast<OwnInterface*>(iface) == nullptr) {
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
        }
    }

    for (platform::asxToolbar* bar : {form.asxToolbar1, form.asxToolbar2, form.asxToolbar3}) {
        for (int i = 1; i <= bar->buttonCount(); ++i) {
            // The captions' blanks only widen their buttons; the tooltip stays
            // the description.
            bar->button(i)->setAccessibleName(bar->button(i)->text().trimmed());
        }
    }
    // A label with a name of its own no longer announces each new text
    // itself: the hidden per-cent label is set five times a second, and the
    // time label is told once a second below.
    // (The shown ones' names come from their interfaces above; the name set
    // here only keeps the labels quiet.)
    form.LbResult->setProperty(kDesignCaption, form.LbResult->text());
    form.LbResult->setAccessibleName(QString::fromLatin1(kResultPurpose));
    for (QLabel* label : form.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->accessibleName().isEmpty()) {
            label->setAccessibleName(label->text().isEmpty() ? QStringLiteral("Status")
                                                             : label->text());
        }
    }
    form.List1->setAccessibleName(QStringLiteral("Playlist"));
    form.txtfull->setAccessibleName(QStringLiteral("Full-screen keys"));
    form.txtfull->setAccessibleDescription(
        QStringLiteral("F1 play again, F2 pause or resume, F3 stop and leave full screen, "
                       "F4 slow motion, Escape leave full screen"));
    new Announcer(form);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the form owns it
}

}  // namespace kelto::ui
