#include "TSwitch.h"

#include <QGraphicsView>
#include <QPainter>
#include <QScopeGuard>
#include <QVariantAnimation>
#include <cmath>
#include <optional>

#include "SwitchMath.h"
#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TApplication.h"
#include "framework/window/TPlatformStyle.h"

namespace {

constexpr double kTrackCorner = 10;
constexpr double kOutline = 2;
constexpr double kKnobMargin = 5;
// Concentric with the track's corners.
constexpr double kKnobCorner = kTrackCorner - kKnobMargin;

// Straight edges that fall between device pixels blur at fractional display
// scales. Puts a rectangle's corner on a device pixel and gives it a whole
// number of device pixels, never more than it had, so a moving knob keeps
// its size.
QRectF SnapToDevice(const QTransform& device, const QRectF& rect) {
    if (device.type() > QTransform::TxScale || !device.isInvertible()) return rect;
    const QRectF d = device.mapRect(rect);
    const QRectF snapped(std::round(d.left()), std::round(d.top()), std::floor(d.width() + 1e-3),
                         std::floor(d.height() + 1e-3));
    return device.inverted().mapRect(snapped);
}

// An x on the nearest device pixel boundary.
double SnapToDevice(const QTransform& device, double x) {
    if (device.type() > QTransform::TxScale || !device.isInvertible()) return x;
    const QPointF d = device.map(QPointF(x, 0));
    return device.inverted().map(QPointF(std::round(d.x()), d.y())).x();
}

// The outline's width in logical pixels, a whole number of device pixels.
double OutlineWidth(const QTransform& device) {
    if (device.type() > QTransform::TxScale || device.m11() <= 0) return kOutline;
    return std::max(1.0, std::round(kOutline * device.m11())) / device.m11();
}

}  // namespace

TSwitch::TSwitch(TComponent* owner) : TControl(owner), slide_(new QVariantAnimation(this)) {
    QObject::connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        Application->Guard([&] { SlideStep(v.toFloat()); });
    });
    QObject::connect(slide_, &QAbstractAnimation::finished, this,
                     [this] { Application->Guard([&] { SlideDone(); }); });
}

void TSwitch::SetIsChecked(bool checked) {
    if (checked == isChecked_) return;
    // Code has the last word over a gesture in progress.
    slide_->stop();
    press_.Cancel();
    dragging_ = false;
    thumbFree_ = false;
    ChangeState(checked);
}

bool TSwitch::IsSliding() const {
    return slide_->state() != QAbstractAnimation::Stopped;
}

void TSwitch::ChangeState(bool checked) {
    isChecked_ = checked;
    Repaint();
    QAccessible::State changed;
    changed.checked = true;
    TAccessibleEvents::StateChanged(this, changed);
    if (!IsLoading() && OnSwitch) OnSwitch(this);
}

bool TSwitch::IsShowing() const {
    if (IsLoading() || !scene() || !isVisible()) return false;
    for (const QGraphicsView* view : scene()->views())
        if (view->isVisible()) return true;
    return false;
}

void TSwitch::SlideFrom(float from) {
    slide_->stop();
    const float to = EndFor(isChecked_);
    const int duration = SwitchMath::SlideMilliseconds(to - from, Travel());
    if (from == to || duration <= 0 || !IsShowing()) {
        thumbFree_ = false;
        Repaint();
        return;
    }
    slide_->setDuration(duration);
    slide_->setStartValue(from);
    slide_->setEndValue(to);
    thumbLeft_ = from;
    thumbFree_ = true;
    slide_->start();
}

void TSwitch::SlideStep(float left) {
    thumbLeft_ = left;
    Repaint();
}

void TSwitch::SlideDone() {
    thumbFree_ = false;
    Repaint();
}

void TSwitch::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    TControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    slide_->stop();
    dragging_ = false;
    thumbLeft_ = EndFor(isChecked_);
    thumbFree_ = true;
    press_.Press(button, x - thumbLeft_);
    lastPointer_ = QPointF(x, y);
    Repaint();
}

void TSwitch::MouseMove(TShiftState shift, float x, float y) {
    if (!press_.IsPressed()) return;
    const bool touch = shift.testFlag(ssTouch);
    if (!SwitchMath::CountsAsMovement(touch, x, y, float(lastPointer_.x()),
                                      float(lastPointer_.y())))
        return;
    dragging_ = true;
    // The thumb keeps its grab under the pointer, held inside the box, so its
    // side of the middle always matches what the release will decide.
    thumbLeft_ = SwitchMath::HoldInside(x - press_.At(), ThumbLength(), Width());
    lastPointer_ = QPointF(x, y);
    Repaint();
}

void TSwitch::MouseUp(TMouseButton button, TShiftState, float x, float) {
    const std::optional<float> grabOffset = press_.Release(button);
    if (!grabOffset) return;
    const bool next =
        SwitchMath::StateAtRelease(isChecked_, dragging_, x, *grabOffset, ThumbLength(), Width());
    // The thumb goes home even if the handler fails; if the handler set the
    // state itself, the thumb is already there.
    const auto settle = qScopeGuard([this] {
        dragging_ = false;
        SlideFrom(ThumbLeft());
    });
    if (next != isChecked_) ChangeState(next);
}

void TSwitch::DoMouseCaptureLost() {
    // Without a release nothing is decided; the thumb returns to its end.
    if (!press_.Cancel()) return;
    dragging_ = false;
    SlideFrom(ThumbLeft());
}

void TSwitch::Paint(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform device = painter.deviceTransform();
    const TPlatformStyle::TSwitchColours& look = TPlatformStyle::Current().Switch;
    const TPlatformStyle::TSwitchState& state = !AbsoluteEnabled() ? look.Disabled
                                                : IsMouseOver()    ? look.Hot
                                                                   : look.Normal;
    const float left = ThumbLeft();

    const QRectF track = SnapToDevice(device, LocalRect());
    const auto drawOn = [&] {
        painter.setPen(Qt::NoPen);
        painter.setBrush(state.OnFill);
        painter.drawRoundedRect(track, kTrackCorner, kTrackCorner);
    };
    const auto drawOff = [&] {
        const double pen = OutlineWidth(device);
        const double inset = pen / 2;
        painter.setPen(QPen(state.OffOutline, pen));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(inset, inset, -inset, -inset), kTrackCorner - inset,
                                kTrackCorner - inset);
    };
    if (look.SplitTrack) {
        // On behind the thumb's left half, off ahead of its right half; the
        // split falls on a device pixel so neither side blurs into the other.
        const double split = SnapToDevice(device, left + ThumbLength() / 2.0);
        painter.save();
        painter.setClipRect(
            QRectF(track.left(), track.top(), split - track.left(), track.height()));
        drawOn();
        painter.restore();
        painter.save();
        painter.setClipRect(QRectF(split, track.top(), track.right() - split, track.height()));
        drawOff();
        painter.restore();
    } else if (SwitchMath::TrackShowsOn(left, ThumbLength(), Width())) {
        drawOn();
    } else {
        drawOff();
    }

    const QRectF square(left, 0, ThumbLength(), ThumbLength());
    const QRectF knob = square.adjusted(kKnobMargin, kKnobMargin, -kKnobMargin, -kKnobMargin);
    if (knob.width() <= 0 || knob.height() <= 0) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked_ ? state.OnKnob : state.OffKnob);
    painter.drawRoundedRect(SnapToDevice(device, knob), kKnobCorner, kKnobCorner);
}
