#include "TAccessibleSwitch.h"

#include "TSwitch.h"

TAccessibleSwitch::TAccessibleSwitch(TSwitch* control)
    : TAccessibleControl(control, QAccessible::CheckBox) {}

QAccessible::State TAccessibleSwitch::state() const {
    QAccessible::State state = TAccessibleControl::state();
    state.checkable = true;
    if (const auto* control = qobject_cast<const TSwitch*>(Control()))
        state.checked = control->IsChecked();
    return state;
}

QStringList TAccessibleSwitch::actionNames() const {
    if (!Operable()) return TAccessibleControl::actionNames();
    return QStringList{toggleAction()} + TAccessibleControl::actionNames();
}

void TAccessibleSwitch::doAction(const QString& name) {
    if (name != toggleAction()) return TAccessibleControl::doAction(name);
    Later([](TControl& control) {
        if (auto* sw = qobject_cast<TSwitch*>(&control)) sw->SetIsChecked(!sw->IsChecked());
    });
}
