#include "Fitting.h"

#include <algorithm>
#include <cmath>

namespace Fitting {

QRectF Target(QSizeF source, QSizeF view, double displayScale) {
    if (source.width() <= 0 || source.height() <= 0) return {};
    if (view.width() <= 0 || view.height() <= 0) return {};
    const double ratio = std::max(source.width() / view.width(), source.height() / view.height());
    const double width = source.width() / ratio;
    const double height = source.height() / ratio;
    const double left = (view.width() - width) / 2;
    const double top = (view.height() - height) / 2;
    const double s = displayScale > 0 ? displayScale : 1;
    return {std::trunc(left * s) / s, std::trunc(top * s) / s, std::round(width * s) / s,
            std::round(height * s) / s};
}

}  // namespace Fitting
