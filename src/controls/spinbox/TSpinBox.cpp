#include "TSpinBox.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsRectItem>
#include <QGraphicsSceneWheelEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include "TSpinBoxEditor.h"
#include "framework/window/QtInput.h"
#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TApplication.h"
#include "framework/window/TForm.h"
#include "framework/window/TPlatformStyle.h"

namespace {

constexpr double kButtonWidth = 20;
constexpr double kButtonInset = 2;
constexpr double kTextInsetX = 21;
constexpr double kTextInsetY = 4;
constexpr int kRepeatDelay = 400;
constexpr int kRepeatInterval = 80;

Qt::InputMethodHints HintsFor(TVirtualKeyboardType type) {
    switch (type) {
        case TVirtualKeyboardType::Default:
            return Qt::ImhNone;
        case TVirtualKeyboardType::NumberPad:
            return Qt::ImhDigitsOnly;
        case TVirtualKeyboardType::DecimalPad:
            return Qt::ImhFormattedNumbersOnly;
        case TVirtualKeyboardType::PhonePad:
            return Qt::ImhDialableCharactersOnly;
        case TVirtualKeyboardType::EmailAddress:
            return Qt::ImhEmailCharactersOnly;
        case TVirtualKeyboardType::URL:
            return Qt::ImhUrlCharactersOnly;
    }
    return Qt::ImhNone;
}

// The focus went away with the window or a popup menu and will come back
// the same way: no other control took it.
bool OnlyPassing(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

TSpinBox::TSpinBox(TComponent* owner)
    : TControl(owner), engine_(TNumberFormat::FromLocale(QLocale())) {
    editor_ = std::make_unique<TSpinBoxEditor>(this, engine_);
    setFocusProxy(editor_->Proxy());
    editor_->SetInputHints(HintsFor(keyboardType_));
    editor_->OnPress = [this](QMouseEvent* event, QPointF at) { PressText(event, at); };
    editor_->OnKey = [this](QKeyEvent* event) { return EditorKey(event); };
    editor_->OnFocusIn = [this](Qt::FocusReason reason) {
        DoEnter(reason);
        Repaint();
    };
    editor_->OnFocusOut = [this](Qt::FocusReason reason) {
        DoExit(reason);
        Repaint();
    };
    engine_.OnTextChange = [this] {
        editor_->Show();
        if (OnChangeTracking) OnChangeTracking(this);
    };
    engine_.OnCommit = [this] {
        if (OnChange) OnChange(this);
    };
    // The step buttons show the arrow whatever the box's own pointer is;
    // the areas take no input, so presses reach the box.
    for (QGraphicsRectItem** area : {&minusArea_, &plusArea_}) {
        *area = new QGraphicsRectItem(this);
        (*area)->setPen(Qt::NoPen);
        (*area)->setAcceptedMouseButtons(Qt::NoButton);
        (*area)->setCursor(Qt::ArrowCursor);
    }
    connect(&repeat_, &QTimer::timeout, this,
            [this] { Application->Guard([this] { RepeatTick(); }); });
}

TSpinBox::~TSpinBox() {
    // The editor goes first: nothing it hears while the items are torn down
    // may reach a half-destroyed box.
    editor_.reset();
}

void TSpinBox::SetMin(float min) {
    Edit([&] { Settings().SetMin(min); });
}

void TSpinBox::SetMax(float max) {
    Edit([&] { Settings().SetMax(max); });
}

void TSpinBox::SetValue(float value) {
    Edit([&] { Settings().SetValue(value); });
}

void TSpinBox::SetValueType(TNumValueType type) {
    Edit([&] { Settings().SetValueType(type); });
}

void TSpinBox::SetDecimalDigits(int digits) {
    Edit([&] { Settings().SetDecimalDigits(digits); });
}

void TSpinBox::SetIncrement(float increment) {
    Settings().SetIncrement(increment);
}

void TSpinBox::SetReadOnly(bool readOnly) {
    Settings().SetReadOnly(readOnly);
    editor_->SetReadOnly(readOnly);
}

void TSpinBox::SetKeyboardType(TVirtualKeyboardType type) {
    if (type == keyboardType_) return;
    keyboardType_ = type;
    editor_->SetInputHints(HintsFor(type));
}

void TSpinBox::SetText(const QString& text) {
    Edit([&] { Settings().SetText(text); });
}

void TSpinBox::ValueInc() {
    Edit([&] { engine_.Step(true); });
}

void TSpinBox::ValueDec() {
    Edit([&] { engine_.Step(false); });
}

void TSpinBox::Loaded() {
    TControl::Loaded();
    engine_.EndLoading();
    editor_->Show();
}

TSpinBoxEngine& TSpinBox::Settings() {
    if (IsLoading() && !engine_.Loading()) engine_.BeginLoading();
    return engine_;
}

template <class F>
void TSpinBox::Edit(F operation) {
    const float before = Value();
    editor_->TakeSelection();
    operation();
    editor_->Show();
    if (Value() != before) TAccessibleEvents::ValueChanged(this, double(Value()));
}

void TSpinBox::Paint(QPainter& painter) {
    const TPlatformStyle::TSpinBoxColours& look = TPlatformStyle::Current().SpinBox;
    const QRectF box = LocalRect();
    const bool enabled = AbsoluteEnabled();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const TPlatformStyle::TSpinBoxState& state = !enabled        ? look.Disabled
                                                 : IsFocused()   ? look.Focused
                                                 : IsMouseOver() ? look.Hot
                                                                 : look.Normal;
    painter.fillRect(box, state.Field);
    painter.setPen(QPen(state.Frame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (enabled && IsFocused()) {
        // The focused frame is heavier along the bottom, as text boxes show it.
        painter.drawLine(QPointF(1, Height() - 1.5), QPointF(Width() - 1, Height() - 1.5));
    }

    painter.setRenderHint(QPainter::Antialiasing);
    for (TStepButton button : {TStepButton::Minus, TStepButton::Plus}) {
        const QRectF face = ButtonRect(button);
        if (face.isEmpty()) continue;
        const bool down = enabled && press_.IsDown() && press_.At() == button;
        painter.fillRect(face, down ? look.PressedStepFace : look.StepFace);
        const QPointF c = face.center();
        const double tip = button == TStepButton::Minus ? -3 : 3;
        painter.setPen(Qt::NoPen);
        painter.setBrush(state.Arrow);
        painter.drawPolygon(
            QPolygonF({{c.x() - tip, c.y() - 5}, {c.x() - tip, c.y() + 5}, {c.x() + tip, c.y()}}));
    }
}

QRectF TSpinBox::ButtonRect(TStepButton button) const {
    const double height = std::max(0.0, Height() - 2 * kButtonInset);
    switch (button) {
        case TStepButton::Minus:
            return {kButtonInset, kButtonInset, kButtonWidth, height};
        case TStepButton::Plus:
            return {Width() - kButtonInset - kButtonWidth, kButtonInset, kButtonWidth, height};
        case TStepButton::None:
            break;
    }
    return {};
}

TSpinBox::TStepButton TSpinBox::ButtonAt(float x, float y) const {
    for (TStepButton button : {TStepButton::Minus, TStepButton::Plus})
        if (ButtonRect(button).contains(x, y)) return button;
    return TStepButton::None;
}

void TSpinBox::Click(TStepButton button) {
    if (ReadOnly()) return;
    if (button == TStepButton::Plus)
        ValueInc();
    else if (button == TStepButton::Minus)
        ValueDec();
}

void TSpinBox::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    const TStepButton pressed = ButtonAt(x, y);
    clickedOnPress_ = false;
    pointer_ = QPointF(x, y);
    if (pressed == TStepButton::None) {
        press_.Cancel();
        return;
    }
    press_.Press(button, pressed);
    Repaint();
    if (!repeatClick_) return;
    clickedOnPress_ = true;
    repeat_.start(kRepeatDelay);
    Click(pressed);
}

void TSpinBox::MouseDoubleClick(TMouseButton button, TShiftState, float x, float y) {
    // The second press of a double click clicks at once, not at its release.
    if (button != TMouseButton::mbLeft || !press_.IsPressed() || clickedOnPress_) return;
    if (ButtonAt(x, y) != press_.At()) return;
    clickedOnPress_ = true;
    Click(press_.At());
}

void TSpinBox::MouseMove(TShiftState, float x, float y) {
    if (!press_.IsPressed()) return;
    pointer_ = QPointF(x, y);
    if (press_.Move(ButtonAt(x, y) == press_.At())) Repaint();
}

void TSpinBox::MouseUp(TMouseButton button, TShiftState, float x, float y) {
    if (button != TMouseButton::mbLeft) return;
    repeat_.stop();
    const std::optional<TStepButton> released = press_.Release(button);
    if (!released) return;
    Repaint();
    if (!clickedOnPress_ && ButtonAt(x, y) == *released) Click(*released);
}

void TSpinBox::DoMouseCaptureLost() {
    repeat_.stop();
    if (press_.Cancel()) Repaint();
}

void TSpinBox::RepeatTick() {
    if (!press_.IsPressed()) return repeat_.stop();
    repeat_.setInterval(kRepeatInterval);
    if (ButtonAt(float(pointer_.x()), float(pointer_.y())) == press_.At()) Click(press_.At());
}

void TSpinBox::MouseWheel(TShiftState, int wheelDelta, bool& handled) {
    // One step per wheel event, however far it turned.
    handled = true;
    if (ReadOnly() || wheelDelta == 0) return;
    if (wheelDelta > 0)
        ValueInc();
    else
        ValueDec();
}

void TSpinBox::wheelEvent(QGraphicsSceneWheelEvent* event) {
    // Sideways scrolling is for what lies below, not for the value.
    if (event->orientation() == Qt::Horizontal) return event->ignore();
    TControl::wheelEvent(event);
}

void TSpinBox::KeyDown(int& key, const QString& text, TShiftState shift) {
    TControl::KeyDown(key, text, shift);
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = 0;
            Edit([&] { engine_.Commit(); });
            if (killFocusByReturn_ && Form()) Form()->SetFocused(nullptr, Qt::OtherFocusReason);
            break;
        case Qt::Key_Escape:
            key = 0;
            Edit([&] { engine_.Revert(); });
            break;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const bool up = key == Qt::Key_Up;
            key = 0;
            if (!ReadOnly()) Edit([&] { engine_.Step(up); });
            break;
        }
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // A box of one number has no pages.
            key = 0;
            break;
        default:
            break;
    }
}

bool TSpinBox::EditorKey(QKeyEvent* event) {
    int key = event->key();
    KeyDown(key, event->text(), QtInput::Shift(event->modifiers()));
    return key == 0;
}

void TSpinBox::PressText(QMouseEvent* event, QPointF at) {
    const std::optional<TMouseButton> button = QtInput::Button(event->button());
    if (!button) return;
    if (Form()) Form()->SetFocused(this, Qt::MouseFocusReason);
    // Only the event: the step buttons lie outside the text.
    TControl::MouseDown(*button, QtInput::Shift(event->modifiers(), event->buttons()),
                        float(at.x()), float(at.y()));
}

void TSpinBox::DoEnter(Qt::FocusReason reason) {
    TControl::DoEnter(reason);
    // A click into the text then puts the caret at the click.
    if (!OnlyPassing(reason)) editor_->SelectAll();
}

void TSpinBox::DoExit(Qt::FocusReason reason) {
    TControl::DoExit(reason);
    if (!OnlyPassing(reason)) Edit([&] { engine_.Commit(); });
}

void TSpinBox::Resized() {
    TControl::Resized();
    editor_->SetGeometry(QRectF(kTextInsetX, kTextInsetY, std::max(0.0, Width() - 2 * kTextInsetX),
                                std::max(0.0, Height() - 2 * kTextInsetY)));
    minusArea_->setRect(ButtonRect(TStepButton::Minus));
    plusArea_->setRect(ButtonRect(TStepButton::Plus));
}
