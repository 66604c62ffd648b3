#include "TArcDial.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TPlatformStyle.h"

namespace {

constexpr double kDotDiameter = 5;
constexpr double kDotInset = 4.5;

}  // namespace

TArcDial::TArcDial(TComponent* owner) : TControl(owner) {
    SetSize(30, 30);
}

void TArcDial::SetValue(float value) {
    if (!std::isfinite(value)) return;
    if (DialMath::WrappedFraction(value) == position_.Fraction) return;
    const DialMath::Position next = DialMath::Place(value, frequency_);
    if (DialMath::SamePosition(next.Degrees, position_.Degrees)) return;
    position_ = next;
    Repaint();
    TAccessibleEvents::ValueChanged(this, double(Value()));
    Notify();
}

void TArcDial::SetFrequency(float frequency) {
    if (!std::isfinite(frequency) || frequency == frequency_) return;
    frequency_ = frequency;
}

void TArcDial::SetTracking(bool tracking) {
    tracking_ = tracking;
}

void TArcDial::SetShowValue(bool showValue) {
    if (showValue == showValue_) return;
    showValue_ = showValue;
    Repaint();
}

void TArcDial::Notify() {
    if (press_.IsPressed() && !tracking_) {
        heldBack_ = true;
        return;
    }
    if (!IsLoading() && OnChange) OnChange(this);
}

QRectF TArcDial::Disc() const {
    const double diameter = std::min(Width(), Height());
    return {(Width() - diameter) / 2, (Height() - diameter) / 2, diameter, diameter};
}

void TArcDial::Paint(QPainter& painter) {
    const TPlatformStyle::TDialColours& look = TPlatformStyle::Current().Dial;
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = Disc();
    const double diameter = disc.width();
    QLinearGradient shade(disc.topLeft(), disc.bottomLeft());
    shade.setColorAt(0, look.ShadeTop);
    shade.setColorAt(0.5, look.ShadeMiddle);
    shade.setColorAt(1, look.ShadeBottom);
    painter.setBrush(shade);
    // Half a pixel in, so the whole outline lies on the disc and its outer
    // edge is the disc's.
    painter.setPen(QPen(look.ShadeBottom, 1));
    painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));

    const double radians = double(Value()) * std::numbers::pi / 180.0;
    const double reach = diameter / 2 - kDotInset;
    const QPointF dot(disc.center().x() + reach * std::cos(radians),
                      disc.center().y() - reach * std::sin(radians));
    painter.setBrush(look.Dot);
    painter.setPen(QPen(look.DotOutline, 1));
    const double inner = (kDotDiameter - 1) / 2;
    painter.drawEllipse(dot, inner, inner);

    if (!showValue_) return;
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    painter.setPen(look.Text);
    painter.drawText(disc, Qt::AlignCenter, DialMath::ValueText(Value()));
}

void TArcDial::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (!press_.Press(button, position_)) return;
    heldBack_ = false;
}

void TArcDial::MouseMove(TShiftState shift, float x, float y) {
    if (!press_.IsPressed() || !(shift & ssLeft)) return;
    const float angle = DialMath::PointerAngle(x - Width() / 2, y - Height() / 2);
    if (!DialMath::MovesDial(Value(), angle)) return;
    SetValue(angle);
}

void TArcDial::MouseUp(TMouseButton button, TShiftState, float, float) {
    const std::optional<DialMath::Position> atPress = press_.Release(button);
    if (!atPress) return;
    const float valueAtPress = atPress->Value();
    if (std::exchange(heldBack_, false) && Value() != valueAtPress) Notify();
    // Once more for the drag as a whole, so a listener that only cares where
    // the dial came to rest hears of it even with Tracking on.
    if (Value() != valueAtPress) Notify();
}

void TArcDial::DoMouseCaptureLost() {
    const std::optional<DialMath::Position> atPress = press_.Cancel();
    if (!atPress) return;
    // The drag was cut short, typically by a modal box; announcing from in
    // there could open another. Changes nobody heard of are taken back.
    if (!std::exchange(heldBack_, false)) return;
    position_ = *atPress;
    Repaint();
    TAccessibleEvents::ValueChanged(this, double(Value()));
}
