#include "Fitting.h"

#include <cmath>

namespace Fitting {

namespace {

// Edges that land exactly on a device pixel must stay there: 33.3333 at a
// scale of 1.5 is 50 device pixels, not 49.99999 cut down to 49.
constexpr double kTolerance = 1e-6;

double SnapDown(double logical, double scale, double origin) {
    return (std::floor(origin + logical * scale + kTolerance) - origin) / scale;
}

double SnapNearest(double logical, double scale) {
    return std::round(logical * scale) / scale;
}

}  // namespace

QRectF Target(QSizeF source, QSizeF view, double displayScale, QPointF origin) {
    if (source.width() <= 0 || source.height() <= 0) return {};
    if (view.width() <= 0 || view.height() <= 0) return {};
    // The side that limits the picture gets the view's length itself, so the
    // centring of the other side isn't thrown off by a rounded ratio.
    double width, height;
    if (source.width() * view.height() >= source.height() * view.width()) {
        width = view.width();
        height = source.height() * view.width() / source.width();
    } else {
        height = view.height();
        width = source.width() * view.height() / source.height();
    }
    const double left = (view.width() - width) / 2;
    const double top = (view.height() - height) / 2;
    const double s = displayScale > 0 ? displayScale : 1;
    return {SnapDown(left, s, origin.x()), SnapDown(top, s, origin.y()), SnapNearest(width, s),
            SnapNearest(height, s)};
}

}  // namespace Fitting
