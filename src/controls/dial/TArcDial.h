#pragma once

#include "DialMath.h"
#include "framework/window/TControl.h"
#include "framework/window/TPressTracker.h"

// A round control turned with the pointer to choose an angle, from -180
// excluded to 180 included, counter-clockwise from its own 3 o'clock. It
// never takes the keyboard focus, and keys and the wheel pass it by.
class TArcDial : public TControl {
    Q_OBJECT

public:
    explicit TArcDial(TComponent* owner);

    float Value() const { return position_.Value(); }
    // Wraps and snaps the angle; an angle that is not finite is ignored.
    void SetValue(float value);
    // The snapping step; 0 or less snaps nothing.
    float Frequency() const { return frequency_; }
    void SetFrequency(float frequency);
    // Whether OnChange comes during a drag or only at its release.
    bool Tracking() const { return tracking_; }
    void SetTracking(bool tracking);
    bool ShowValue() const { return showValue_; }
    void SetShowValue(bool showValue);

    TNotifyEvent OnChange;

protected:
    void Paint(QPainter& painter) override;
    // Turned a quarter, the dial's rectangle reaches past the tool strip into
    // the chart; its disc doesn't.
    QRectF PaintedRect() const override { return Disc(); }
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
    void DoMouseCaptureLost() override;

private:
    QRectF Disc() const;
    // Raises OnChange, or holds it back while a drag with Tracking off goes on.
    void Notify();

    DialMath::Position position_;
    float frequency_ = 0;
    bool tracking_ = true;
    bool showValue_ = false;
    // A press, remembering where the dial stood; its value is the value at
    // the press.
    TPressTracker<DialMath::Position> press_;
    // A change made during a drag with Tracking off, still unannounced.
    bool heldBack_ = false;
};
