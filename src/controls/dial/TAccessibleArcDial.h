#pragma once

#include "framework/accessibility/TAccessibleValueControl.h"

class TArcDial;

// A dial whose value is an angle in degrees, from -180 to 180.
class TAccessibleArcDial : public TAccessibleValueControl {
public:
    explicit TAccessibleArcDial(TArcDial* dial);

    QVariant currentValue() const override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

protected:
    QString ValueText() const override;
    void SetNumber(double value) override;

private:
    TArcDial* Dial() const;
};
