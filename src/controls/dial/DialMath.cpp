#include "DialMath.h"

#include <QChar>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace DialMath {

double WrappedFraction(float degrees) {
    const double a = (double(degrees) - 180.0) / 360.0;
    return a - std::ceil(a) + 1.0;
}

double WrappedDegrees(float degrees) {
    // Whole turns come off exactly, so an angle already in range stays as
    // written and a tie between two steps is still a tie when snapped. Only
    // when the count of turns is itself rounded, millions of turns out, does
    // the fraction decide.
    const double a = (double(degrees) - 180.0) / 360.0;
    const double p = double(degrees) - 360.0 * std::ceil(a);
    if (p > -180.0 && p <= 180.0) return p;
    return -180.0 + 360.0 * WrappedFraction(degrees);
}

double Snap(double degrees, float step) {
    // The two ends are the same direction; snapping either could tear them
    // apart when the step doesn't divide the circle.
    if (!(step > 0) || !std::isfinite(step) || SamePosition(degrees, -180.0) ||
        SamePosition(degrees, 180.0))
        return degrees;
    const double multiple = std::nearbyint(degrees / step) * step;
    return std::clamp(multiple, -180.0, 180.0);
}

Position Place(float degrees, float step) {
    const double p = Snap(WrappedDegrees(degrees), step);
    const Position placed{p, (p + 180.0) / 360.0};
    if (placed.Value() <= -180.0f) return {180.0, 1.0};
    return placed;
}

float Wrap(float degrees, float step) {
    return Place(degrees, step).Value();
}

bool SamePosition(double a, double b) {
    const double tolerance = std::max(1e-12 * std::min(std::fabs(a), std::fabs(b)), 1e-12);
    return std::fabs(a - b) <= tolerance;
}

float PointerAngle(float dx, float dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return std::numeric_limits<float>::quiet_NaN();
    // The cosine against the 3 o'clock direction. hypot rather than the root
    // of the squares, which overflow for huge offsets and vanish for tiny ones;
    // the floor on the divisor makes the centre itself come out at -90.
    constexpr float kFloor = 1e-40f;
    const float length = std::hypot(dx, dy);
    const float c = std::clamp(dx / (length <= kFloor ? kFloor : length), -1.0f, 1.0f);
    const float theta = float(double(std::acos(c)) * (180.0 / std::numbers::pi));
    return dy < 0 ? theta : -theta;
}

bool MovesDial(float value, float angle) {
    return std::abs(angle - value) > 0.0001f;
}

QString ValueText(float value) {
    // Adding zero turns a rounded -0 into 0, so nothing shows "-0°".
    const double whole = std::nearbyint(double(value)) + 0.0;
    return QString::number(whole, 'f', 0) + QChar(0x00B0);
}

}  // namespace DialMath
