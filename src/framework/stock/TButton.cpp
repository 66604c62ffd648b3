#include "TButton.h"

#include <QPainter>

#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TPlatformStyle.h"
#include "TAction.h"

TButton::~TButton() {
    if (action_) action_->RemoveClient(this);
}

void TButton::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    Repaint();
    TAccessibleEvents::NameChanged(this);
}

void TButton::SetAction(TAction* action) {
    if (action == action_) return;
    if (action_) action_->RemoveClient(this);
    action_ = action;
    if (action_) action_->AddClient(this);
}

void TButton::Click() {
    if (action_) {
        action_->SetActionComponent(this);
        action_->Execute();
    } else if (OnClick) {
        OnClick(this);
    }
}

void TButton::Paint(QPainter& painter) {
    // Flat face with a 1-pixel border, the colours of the system's buttons.
    const TPlatformStyle::TButtonColours& look = TPlatformStyle::Current().Button;
    const TPlatformStyle::TButtonState& state = !AbsoluteEnabled() ? look.Disabled
                                                : IsPressed()      ? look.Pressed
                                                : IsMouseOver()    ? look.Hot
                                                : IsFocused()      ? look.Focused
                                                                   : look.Normal;
    const QRectF box = LocalRect();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(box, state.Face);
    painter.setPen(QPen(state.Border, 1));
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (IsFocused()) {
        // The inner focus line of a focused button.
        painter.setPen(QPen(state.Border, 1));
        painter.drawRect(box.adjusted(1.5, 1.5, -1.5, -1.5));
    }
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.setPen(state.Ink);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (press_.Press(button)) Repaint();
    TControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState, float x, float y) {
    if (press_.Move(IsHit({x, y}))) Repaint();
}

void TButton::MouseUp(TMouseButton button, TShiftState, float x, float y) {
    if (!press_.Release(button)) return;
    Repaint();
    if (IsHit({x, y})) Click();
}

void TButton::KeyDown(int& key, const QString&, TShiftState shift) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool space = key == Qt::Key_Space && !shift;
    if (!enter && !space) return;
    key = 0;
    Click();
}

void TButton::DoMouseCaptureLost() {
    if (press_.Cancel()) Repaint();
}
