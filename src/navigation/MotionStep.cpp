#include "MotionStep.h"

#include <cmath>

namespace MotionStep {

double Radians(double heading) {
    constexpr long double kDegree = 0.017453292519943295769236907684886127L;
    return double(static_cast<long double>(heading) * kDegree);
}

float NextX(float x, double speed, double theta) {
    return float(speed * std::sin(theta) + x);
}

float NextY(float y, double speed, double theta) {
    return float(y - speed * std::cos(theta));
}

}  // namespace MotionStep
