#include "TSpinBox.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kButtonWidth = 20;
}

void TSpinBox::SetMin(double min) {
    if (min == min_) return;
    min_ = min;
    Clamp();
}

void TSpinBox::SetMax(double max) {
    if (max == max_) return;
    max_ = max;
    Clamp();
}

float TSpinBox::Value() const {
    return float(std::nearbyint(value_));
}

void TSpinBox::SetValue(double value) {
    if (value == value_) return;
    value_ = value;
    Clamp();
}

QString TSpinBox::Text() const {
    return QString::number(qint64(std::nearbyint(value_)));
}

void TSpinBox::ValueInc() {
    SetValue(std::nearbyint(value_) + 1);
}

void TSpinBox::ValueDec() {
    SetValue(std::nearbyint(value_) - 1);
}

void TSpinBox::Loaded() {
    TControl::Loaded();
    Clamp();
}

void TSpinBox::Clamp() {
    if (IsLoading()) return;
    max_ = std::max(max_, min_);
    const double clamped = std::clamp(value_, min_, max_);
    value_ = clamped;
    Repaint();
    if (OnChange) OnChange(this);
}

void TSpinBox::Paint(QPainter& painter) {
    const QRectF box = LocalRect();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(box.adjusted(0, 4, 0, -4), Qt::white);
    painter.setPen(QPen(IsFocused() ? QColor(0x00, 0x78, 0xD7) : QColor(0x7A, 0x7A, 0x7A), 1));
    painter.drawRect(box.adjusted(0.5, 4.5, -0.5, -4.5));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x60, 0x60, 0x60));
    const double cy = Height() / 2;
    const double lx = 2 + (kButtonWidth - 4) / 2, rx = Width() - lx;
    painter.drawPolygon(QPolygonF({{lx + 3, cy - 5}, {lx + 3, cy + 5}, {lx - 3, cy}}));
    painter.drawPolygon(QPolygonF({{rx - 3, cy - 5}, {rx - 3, cy + 5}, {rx + 3, cy}}));
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(21, 4, -21, -4), Qt::AlignCenter, Text());
}

void TSpinBox::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    if (x < kButtonWidth)
        ValueDec();
    else if (x > Width() - kButtonWidth)
        ValueInc();
}
