#pragma once

#include <QString>
#include <QTimer>
#include <memory>

#include "TSpinBoxEngine.h"
#include "framework/window/TControl.h"
#include "framework/window/TPressTracker.h"

class QGraphicsRectItem;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class TSpinBoxEditor;

// The on-screen keyboard a box asks for where the platform shows one.
enum class TVirtualKeyboardType { Default, NumberPad, DecimalPad, PhonePad, EmailAddress, URL };

// A single-line numeric box with a step button at each end. Value is the
// last committed number, never the text still being typed: typed text counts
// only once Enter, a step, or the focus going to another control commits it.
class TSpinBox : public TControl {
    Q_OBJECT

public:
    explicit TSpinBox(TComponent* owner);
    ~TSpinBox() override;

    float Min() const { return engine_.Min(); }
    void SetMin(float min);
    float Max() const { return engine_.Max(); }
    void SetMax(float max);
    float Value() const { return engine_.Value(); }
    void SetValue(float value);
    TNumValueType ValueType() const { return engine_.ValueType(); }
    void SetValueType(TNumValueType type);
    int DecimalDigits() const { return engine_.DecimalDigits(); }
    void SetDecimalDigits(int digits);
    float Increment() const { return engine_.Increment(); }
    void SetIncrement(float increment);
    float HorzIncrement() const { return Increment(); }
    void SetHorzIncrement(float increment) { SetIncrement(increment); }
    bool RepeatClick() const { return repeatClick_; }
    void SetRepeatClick(bool repeat) { repeatClick_ = repeat; }
    bool ReadOnly() const { return engine_.ReadOnly(); }
    void SetReadOnly(bool readOnly);
    bool KillFocusByReturn() const { return killFocusByReturn_; }
    void SetKillFocusByReturn(bool kill) { killFocusByReturn_ = kill; }
    TVirtualKeyboardType KeyboardType() const { return keyboardType_; }
    void SetKeyboardType(TVirtualKeyboardType type);
    QString Text() const { return engine_.Text(); }
    void SetText(const QString& text);

    void ValueInc();
    void ValueDec();

    // The text area, and the context menu it shows.
    TSpinBoxEditor& Editor() const { return *editor_; }

    bool CanFocus() const override { return true; }
    void Loaded() override;

    TNotifyEvent OnChange;
    TNotifyEvent OnChangeTracking;

protected:
    void Paint(QPainter& painter) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseDoubleClick(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseWheel(TShiftState shift, int wheelDelta, bool& handled) override;
    void KeyDown(int& key, const QString& text, TShiftState shift) override;
    void DoEnter(Qt::FocusReason reason) override;
    void DoExit(Qt::FocusReason reason) override;
    void DoMouseCaptureLost() override;
    void Resized() override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;

private:
    enum class TStepButton { None, Minus, Plus };

    // Settings given while the window loads wait for the end of loading.
    TSpinBoxEngine& Settings();
    // Runs an engine operation on the editor's current caret and selection,
    // then shows the result.
    template <class F>
    void Edit(F operation);
    QRectF ButtonRect(TStepButton button) const;
    TStepButton ButtonAt(float x, float y) const;
    void Click(TStepButton button);
    void RepeatTick();
    void PressText(QMouseEvent* event, QPointF at);
    bool EditorKey(QKeyEvent* event);

    TSpinBoxEngine engine_;
    std::unique_ptr<TSpinBoxEditor> editor_;
    QGraphicsRectItem* minusArea_ = nullptr;
    QGraphicsRectItem* plusArea_ = nullptr;
    QTimer repeat_;
    TVirtualKeyboardType keyboardType_ = TVirtualKeyboardType::NumberPad;
    bool repeatClick_ = false;
    bool killFocusByReturn_ = false;
    // A press on a step button, remembering which.
    TPressTracker<TStepButton> press_;
    bool clickedOnPress_ = false;
    QPointF pointer_;
};
