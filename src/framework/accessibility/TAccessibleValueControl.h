#pragma once

#include "TAccessibleControl.h"

// A control with a number that assistive technology reads and sets: the
// value interface Qt asks for, and a request to set it checked the same way
// for every such control.
class TAccessibleValueControl : public TAccessibleControl, public QAccessibleValueInterface {
public:
    using TAccessibleControl::TAccessibleControl;

    void* interface_cast(QAccessible::InterfaceType type) override;
    void setCurrentValue(const QVariant& value) final;

protected:
    // Whether a client may set the value now.
    virtual bool Settable() const { return Operable(); }
    // Sets it as the user would, so that the window hears of it; runs under
    // Application->Guard.
    virtual void SetNumber(double value) = 0;
};
