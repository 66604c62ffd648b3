#include "DialMath.h"

#include <algorithm>
#include <cmath>

namespace DialMath {

float Wrap(float degrees) {
    const double a = (double(degrees) - 180.0) / 360.0;
    const double r = a - std::ceil(a) + 1.0;
    return float(-180.0 + 360.0 * r);
}

float PointerAngle(float dx, float dy) {
    const float length = std::sqrt(dx * dx + dy * dy);
    const float c = length > 1e-40f ? std::clamp(dx / length, -1.0f, 1.0f) : 0.0f;
    const float theta = float(std::acos(c) * 180.0f / float(M_PI));
    return Wrap(dy < 0 ? theta : -theta);
}

}  // namespace DialMath
