#include "TSwitch.h"

#include <QPainter>
#include <QPainterPath>

void TSwitch::SetIsChecked(bool checked) {
    if (checked == isChecked_) return;
    Toggle(checked);
}

void TSwitch::Toggle(bool checked) {
    isChecked_ = checked;
    Repaint();
    if (!IsLoading() && OnSwitch) OnSwitch(this);
}

void TSwitch::Paint(QPainter& painter) {
    const QRectF box = LocalRect();
    const double thumb = Height();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor outline = IsMouseOver() ? Qt::black : QColor(0x33, 0x33, 0x33);
    const QColor fill = IsMouseOver() ? QColor(0x48, 0x9F, 0xE5) : QColor(0x00, 0x72, 0xD5);
    if (isChecked_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 10, 10);
    } else {
        painter.setPen(QPen(outline, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 9, 9);
    }
    const double left = isChecked_ ? Width() - thumb : 0;
    const QRectF knob = QRectF(left, 0, thumb, thumb).adjusted(5, 5, -5, -5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked_ ? QColor(Qt::white) : QColor(0x17, 0x17, 0x17));
    painter.drawRoundedRect(knob, 5, 5);
}

void TSwitch::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (button == TMouseButton::mbLeft) pressed_ = true;
}

void TSwitch::MouseUp(TMouseButton button, TShiftState, float, float) {
    if (button != TMouseButton::mbLeft || !pressed_) return;
    pressed_ = false;
    Toggle(!isChecked_);
}
