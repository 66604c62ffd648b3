#pragma once

#include "framework/accessibility/TAccessibleControl.h"

class TSwitch;

// An on/off switch: checkable, checked when on, and toggled by its action.
class TAccessibleSwitch : public TAccessibleControl {
public:
    explicit TAccessibleSwitch(TSwitch* control);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& name) override;
};
