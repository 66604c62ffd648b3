#pragma once

#include "framework/TControl.h"

// A round control turned with the pointer to choose an angle.
class TArcDial : public TControl {
public:
    using TControl::TControl;

    float Value() const { return value_; }
    void SetValue(float value);

    TNotifyEvent OnChange;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

private:
    void Change();

    float value_ = 0;
    bool pressed_ = false;
    float valueAtPress_ = 0;
};
