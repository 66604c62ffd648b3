#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where a picture goes in a view: as large as fits with its aspect ratio,
// centred, snapped to device pixels at the given display scale.
namespace Fitting {

// Empty when nothing is to be drawn (an empty picture or a view with no room).
// A display scale that isn't positive counts as 1. The origin is where the
// view's top-left corner falls, in device pixels: a view that doesn't start
// on a whole device pixel (57 logical pixels down at a scale of 1.25) has its
// picture's edges snapped to the device's pixels, not to its own.
QRectF Target(QSizeF source, QSizeF view, double displayScale, QPointF origin = {});

}  // namespace Fitting
