#include "TButton.h"

#include <QPainter>

#include "framework/window/TAccessibleEvents.h"
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
    QColor face(0xE1, 0xE1, 0xE1), border(0xAD, 0xAD, 0xAD), ink(Qt::black);
    if (!AbsoluteEnabled()) {
        face = QColor(0xCC, 0xCC, 0xCC);
        border = QColor(0xBF, 0xBF, 0xBF);
        ink = QColor(0x83, 0x83, 0x83);
    } else if (IsPressed()) {
        face = QColor(0xCC, 0xE4, 0xF7);
        border = QColor(0x00, 0x54, 0x99);
    } else if (IsMouseOver()) {
        face = QColor(0xE5, 0xF1, 0xFB);
        border = QColor(0x00, 0x78, 0xD7);
    } else if (IsFocused()) {
        border = QColor(0x00, 0x78, 0xD7);
    }
    const QRectF box = LocalRect();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(box, face);
    painter.setPen(QPen(border, 1));
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (IsFocused()) {
        // The inner focus line of a focused button.
        painter.setPen(QPen(border, 1));
        painter.drawRect(box.adjusted(1.5, 1.5, -1.5, -1.5));
    }
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (button == TMouseButton::mbLeft) {
        pressed_ = true;
        pressedInside_ = true;
        Repaint();
    }
    TControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState, float x, float y) {
    if (!pressed_) return;
    const bool inside = IsHit({x, y});
    if (inside == pressedInside_) return;
    pressedInside_ = inside;
    Repaint();
}

void TButton::MouseUp(TMouseButton button, TShiftState, float x, float y) {
    if (button != TMouseButton::mbLeft || !pressed_) return;
    pressed_ = false;
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
    if (!pressed_) return;
    pressed_ = false;
    Repaint();
}
