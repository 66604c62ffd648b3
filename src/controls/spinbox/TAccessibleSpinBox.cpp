#include "TAccessibleSpinBox.h"

#include <QLineEdit>

#include "TSpinBox.h"
#include "TSpinBoxEditor.h"

TAccessibleSpinBox::TAccessibleSpinBox(TSpinBox* box)
    : TAccessibleValueControl(box, QAccessible::SpinBox) {}

TSpinBox* TAccessibleSpinBox::Box() const {
    return qobject_cast<TSpinBox*>(Control());
}

bool TAccessibleSpinBox::Settable() const {
    const TSpinBox* box = Box();
    return box && !box->ReadOnly() && Operable();
}

std::vector<QObject*> TAccessibleSpinBox::Children() const {
    std::vector<QObject*> children = TAccessibleControl::Children();
    if (const TSpinBox* box = Box()) children.push_back(box->Editor().LineEdit());
    return children;
}

QAccessible::State TAccessibleSpinBox::state() const {
    QAccessible::State state = TAccessibleControl::state();
    if (const TSpinBox* box = Box()) state.readOnly = box->ReadOnly();
    return state;
}

QAccessibleInterface* TAccessibleSpinBox::focusChild() const {
    const TSpinBox* box = Box();
    if (!box || !box->IsFocused()) return nullptr;
    return QAccessible::queryAccessibleInterface(box->Editor().LineEdit());
}

QStringList TAccessibleSpinBox::actionNames() const {
    if (!Settable()) return TAccessibleControl::actionNames();
    return QStringList{increaseAction(), decreaseAction()} + TAccessibleControl::actionNames();
}

void TAccessibleSpinBox::doAction(const QString& name) {
    const bool up = name == increaseAction();
    if (!up && name != decreaseAction()) return TAccessibleControl::doAction(name);
    if (!Settable()) return;
    // The same steps as the plus and minus buttons.
    Later([up](TControl& control) {
        auto* box = qobject_cast<TSpinBox*>(&control);
        if (!box || box->ReadOnly()) return;
        if (up)
            box->ValueInc();
        else
            box->ValueDec();
    });
}

QStringList TAccessibleSpinBox::keyBindingsForAction(const QString& name) const {
    if (name == increaseAction()) return {QStringLiteral("Up")};
    if (name == decreaseAction()) return {QStringLiteral("Down")};
    return TAccessibleControl::keyBindingsForAction(name);
}

QVariant TAccessibleSpinBox::currentValue() const {
    const TSpinBox* box = Box();
    return box ? QVariant(double(box->Value())) : QVariant();
}

void TAccessibleSpinBox::SetNumber(double requested) {
    // The box's own range rules clamp it and show it.
    if (TSpinBox* box = Box()) box->SetValue(float(requested));
}

QVariant TAccessibleSpinBox::maximumValue() const {
    const TSpinBox* box = Box();
    return box ? QVariant(double(box->Max())) : QVariant();
}

QVariant TAccessibleSpinBox::minimumValue() const {
    const TSpinBox* box = Box();
    return box ? QVariant(double(box->Min())) : QVariant();
}

QVariant TAccessibleSpinBox::minimumStepSize() const {
    const TSpinBox* box = Box();
    return box ? QVariant(double(box->Increment())) : QVariant();
}

QString TAccessibleSpinBox::ValueText() const {
    // What the box shows, which may be a number still being typed.
    const TSpinBox* box = Box();
    return box ? box->Text() : QString();
}
