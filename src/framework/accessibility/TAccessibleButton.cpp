#include "TAccessibleButton.h"

#include "framework/stock/TButton.h"

TAccessibleButton::TAccessibleButton(TButton* button)
    : TAccessibleControl(button, QAccessible::Button) {}

TButton* TAccessibleButton::Button() const {
    return qobject_cast<TButton*>(Control());
}

QString TAccessibleButton::DefaultName() const {
    const TButton* button = Button();
    return button ? button->Text() : QString();
}

QAccessible::State TAccessibleButton::state() const {
    QAccessible::State state = TAccessibleControl::state();
    if (const TButton* button = Button()) state.pressed = button->IsPressed();
    return state;
}

QStringList TAccessibleButton::actionNames() const {
    if (!Operable()) return TAccessibleControl::actionNames();
    return QStringList{pressAction()} + TAccessibleControl::actionNames();
}

void TAccessibleButton::doAction(const QString& name) {
    if (name != pressAction()) return TAccessibleControl::doAction(name);
    Later([](TControl& control) {
        if (auto* button = qobject_cast<TButton*>(&control)) button->Click();
    });
}

QStringList TAccessibleButton::keyBindingsForAction(const QString& name) const {
    // What clicks a focused button.
    if (name == pressAction()) return {QStringLiteral("Space"), QStringLiteral("Return")};
    return TAccessibleControl::keyBindingsForAction(name);
}
