#pragma once

#include <QString>

#include "framework/TControl.h"

// A numeric box with a step button at each end.
class TSpinBox : public TControl {
public:
    using TControl::TControl;

    double Min() const { return min_; }
    void SetMin(double min);
    double Max() const { return max_; }
    void SetMax(double max);
    float Value() const;
    void SetValue(double value);
    QString Text() const;

    void ValueInc();
    void ValueDec();

    bool CanFocus() const override { return true; }
    void Loaded() override;

    TNotifyEvent OnChange;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;

private:
    void Clamp();

    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
};
