#include "QtInput.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>

namespace QtInput {

std::optional<TMouseButton> Button(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return std::nullopt;
    }
}

TShiftState Shift(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState shift;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

TShiftState Shift(const QGraphicsSceneMouseEvent* event) {
    TShiftState shift = Shift(event->modifiers(), event->buttons());
    // Touch reaches the scene as mouse events that Qt or the system made
    // from touch points; the source is the only trace of it.
    if (event->source() != Qt::MouseEventNotSynthesized) shift |= ssTouch;
    return shift;
}

TShiftState Shift(const QGraphicsSceneWheelEvent* event) {
    return Shift(event->modifiers(), event->buttons());
}

}  // namespace QtInput
