#pragma once

#include "framework/TAccessibleControl.h"

class TArcDial;

// A dial whose value is an angle in degrees, from -180 to 180.
class TAccessibleArcDial : public TAccessibleControl, public QAccessibleValueInterface {
public:
    explicit TAccessibleArcDial(TArcDial* dial);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    QString ValueText() const override;

private:
    TArcDial* Dial() const;
};
