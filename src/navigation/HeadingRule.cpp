#include "HeadingRule.h"

#include <cmath>

namespace HeadingRule {

double FromDial(float dialValue) {
    const double v = dialValue;
    if (v > 0) return 360.0 - v;
    // Negative values and zero (of either sign) point the other way round.
    return std::fabs(v);
}

}  // namespace HeadingRule
