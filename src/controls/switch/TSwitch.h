#pragma once

#include "framework/window/TControl.h"
#include "framework/window/TPressTracker.h"

class QVariantAnimation;

// A two-state on/off control: a track with a square thumb at the left end
// when off and at the right end when on. A click toggles it; a drag decides
// at the release by the side the thumb's centre would be on. Keys and the
// wheel leave it alone.
class TSwitch : public TControl {
    Q_OBJECT

public:
    explicit TSwitch(TComponent* owner);

    bool IsChecked() const { return isChecked_; }
    // From code the thumb goes to its end at once, without a slide.
    void SetIsChecked(bool checked);

    bool CanFocus() const override { return true; }

    // The drawn thumb's left edge: where the pointer or the slide has it, or
    // otherwise the end that belongs to the state.
    float ThumbLeft() const { return thumbFree_ ? thumbLeft_ : EndFor(isChecked_); }
    bool IsSliding() const;

    TNotifyEvent OnSwitch;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
    void DoMouseCaptureLost() override;

private:
    float ThumbLength() const { return Height(); }
    float Travel() const { return Width() - Height(); }
    float EndFor(bool checked) const { return checked ? Travel() : 0; }
    bool IsShowing() const;
    void ChangeState(bool checked);
    void SlideFrom(float from);
    void SlideStep(float left);
    void SlideDone();

    bool isChecked_ = false;
    // A press, remembering the grab: the pointer's offset from the thumb's
    // left edge.
    TPressTracker<float> press_;
    bool dragging_ = false;
    // Whether thumbLeft_ rather than the state places the thumb.
    bool thumbFree_ = false;
    float thumbLeft_ = 0;
    QPointF lastPointer_;
    QVariantAnimation* slide_ = nullptr;
};
