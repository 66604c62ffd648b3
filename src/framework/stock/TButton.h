#pragma once

#include <QString>
#include <algorithm>

#include "framework/window/TControl.h"
#include "framework/window/TPressTracker.h"

class TAction;

// A push button in the window's look. It clicks when the left button is
// released over it after a press on it, or on Enter or a plain Space while
// it has the focus.
class TButton : public TControl {
    Q_OBJECT

public:
    using TControl::TControl;
    ~TButton() override;

    QString Text() const { return text_; }
    void SetText(const QString& text);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { imageIndex_ = std::max(index, -1); }
    TAction* Action() const { return action_; }
    void SetAction(TAction* action);
    bool IsPressed() const { return press_.IsDown(); }

    bool CanFocus() const override { return true; }
    // Runs the linked action if there is one, otherwise OnClick.
    void Click();

    TNotifyEvent OnClick;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
    void KeyDown(int& key, const QString& text, TShiftState shift) override;
    void DoMouseCaptureLost() override;

private:
    QString text_;
    TAction* action_ = nullptr;
    int imageIndex_ = -1;
    TPressTracker<> press_;
};
