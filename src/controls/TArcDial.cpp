#include "TArcDial.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

#include "DialMath.h"

void TArcDial::SetValue(float value) {
    value = DialMath::Wrap(value);
    if (value == value_) return;
    value_ = value;
    Repaint();
    Change();
}

void TArcDial::Change() {
    if (!IsLoading() && OnChange) OnChange(this);
}

void TArcDial::Paint(QPainter& painter) {
    const double diameter = std::min(Width(), Height());
    const QRectF disc((Width() - diameter) / 2, (Height() - diameter) / 2, diameter, diameter);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(disc.topLeft(), disc.bottomLeft());
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(0.5, QColor(0xF0, 0xF0, 0xF0));
    shade.setColorAt(1, QColor(0xD4, 0xD4, 0xD4));
    painter.setBrush(shade);
    painter.setPen(QPen(QColor(0xD4, 0xD4, 0xD4), 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));

    const double radians = value_ * M_PI / 180.0;
    const double reach = diameter / 2 - 4.5;
    const QPointF dot(disc.center().x() + reach * std::cos(radians),
                      disc.center().y() - reach * std::sin(radians));
    painter.setBrush(Qt::black);
    painter.setPen(QPen(QColor(0xCC, 0xCC, 0xCC), 1));
    painter.drawEllipse(dot, 2.5, 2.5);
}

void TArcDial::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    pressed_ = true;
    valueAtPress_ = value_;
}

void TArcDial::MouseMove(TShiftState shift, float x, float y) {
    if (!pressed_ || !(shift & ssLeft)) return;
    const float angle = DialMath::PointerAngle(x - Width() / 2, y - Height() / 2);
    if (std::abs(angle - value_) <= 0.0001f) return;
    SetValue(angle);
}

void TArcDial::MouseUp(TMouseButton button, TShiftState, float, float) {
    if (button != TMouseButton::mbLeft || !pressed_) return;
    pressed_ = false;
    if (value_ != valueAtPress_) Change();
}
