#pragma once

#include "framework/TControl.h"

// A two-state on/off control: a track with a thumb at the left when off and
// at the right when on. A click toggles it.
class TSwitch : public TControl {
public:
    using TControl::TControl;

    bool IsChecked() const { return isChecked_; }
    void SetIsChecked(bool checked);

    bool CanFocus() const override { return true; }

    TNotifyEvent OnSwitch;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

private:
    void Toggle(bool checked);

    bool isChecked_ = false;
    bool pressed_ = false;
};
