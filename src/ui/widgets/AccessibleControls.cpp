#include "widgets/AccessibleControls.h"

#include "widgets/ImageStripControl.h"
#include "widgets/PanelButton.h"
#include "widgets/PianoKeyboard.h"
#include "widgets/RotaryKnob.h"

#include <QAccessibleWidget>

#include <functional>

namespace {

struct TValueAccess {
    std::function<int()> value, min, max;
    std::function<QString()> text; // none: the number
};

class TAccessibleValueControl : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    TAccessibleValueControl(QWidget* w, QAccessible::Role role, TValueAccess access)
        : QAccessibleWidget(w, role), access_(std::move(access)) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || (t == QAccessible::Description && access_.text))
            return access_.text ? access_.text() : QString::number(access_.value());
        return QAccessibleWidget::text(t);
    }
    // Changed as the user changes it, with the keys or the mouse.
    void setCurrentValue(const QVariant&) override {}
    QVariant currentValue() const override { return access_.value(); }
    QVariant maximumValue() const override { return access_.max(); }
    QVariant minimumValue() const override { return access_.min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    TValueAccess access_;
};

class TAccessibleButton : public QAccessibleWidget {
public:
    TAccessibleButton(QWidget* w, std::function<void()> press)
        : QAccessibleWidget(w, QAccessible::Button), press_(std::move(press)) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) press_();
    }

private:
    std::function<void()> press_;
};

QAccessibleInterface* ControlInterface(const QString&, QObject* object) {
    if (auto* knob = qobject_cast<TRotaryKnob*>(object))
        return new TAccessibleValueControl(knob, QAccessible::Dial,
                                           {[knob] { return knob->Position(); }, [knob] { return knob->PositionMin(); },
                                            [knob] { return knob->PositionMax(); }, {}});
    if (auto* strip = qobject_cast<TImageStripControl*>(object)) {
        if (strip->IsButton()) return new TAccessibleButton(strip, [strip] { strip->Click(); });
        return new TAccessibleValueControl(strip, QAccessible::Slider,
                                           {[strip] { return strip->Position(); }, [strip] { return strip->Min(); },
                                            [strip] { return strip->Max(); }, {}});
    }
    if (auto* keyboard = qobject_cast<TPianoKeyboard*>(object))
        return new TAccessibleValueControl(keyboard, QAccessible::Slider,
                                           {[keyboard] { return keyboard->FocusNote(); }, [] { return 0; }, [] { return 127; },
                                            [keyboard] { return QString::fromStdString(keyboard->FocusNoteText()); }});
    if (auto* button = qobject_cast<TPanelButton*>(object))
        return new TAccessibleButton(button, [button] { button->Click(); });
    return nullptr;
}

} // namespace

void InstallAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(ControlInterface);
        return true;
    }();
    (void)installed;
}

void TellValueChanged(QWidget* control, int value, bool described) {
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent event(control, value);
    QAccessible::updateAccessibility(&event);
    if (!described) return;
    QAccessibleEvent description(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}
