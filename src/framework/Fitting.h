#pragma once

#include <QRectF>
#include <QSizeF>

// Where a picture goes in a view: as large as fits with its aspect ratio,
// centred, snapped to device pixels at the given display scale.
namespace Fitting {

// Empty when nothing is to be drawn (an empty picture or a view with no room).
// A display scale that isn't positive counts as 1.
QRectF Target(QSizeF source, QSizeF view, double displayScale);

}  // namespace Fitting
