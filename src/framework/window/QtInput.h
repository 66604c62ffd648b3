#pragma once

#include <Qt>
#include <optional>

#include "framework/core/Types.h"

class QGraphicsSceneMouseEvent;
class QGraphicsSceneWheelEvent;

// Translation of Qt's input vocabulary into the window's.
namespace QtInput {

std::optional<TMouseButton> Button(Qt::MouseButton button);
TShiftState Shift(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {});
TShiftState Shift(const QGraphicsSceneMouseEvent* event);
TShiftState Shift(const QGraphicsSceneWheelEvent* event);

}  // namespace QtInput
