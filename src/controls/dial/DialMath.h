#pragma once

#include <QString>

// The angle rules of the heading dial, apart from any drawing or input.
// Angles are degrees, counter-clockwise from the dial's own 3 o'clock.
namespace DialMath {

// Where the dial stands: the angle p from -180 to 180 and the fraction
// r = (p + 180) / 360 of the full turn, which is what the value is read from.
struct Position {
    double Degrees = 0;
    double Fraction = 0.5;

    float Value() const { return float(360.0 * Fraction - 180.0); }
};

// The fraction of a turn that an angle comes to, greater than 0 and at most 1;
// NaN when the angle is not finite.
double WrappedFraction(float degrees);
// The angle brought into -180 excluded to 180 included.
double WrappedDegrees(float degrees);
// An angle snapped to the nearest multiple of the step (a tie goes to the
// even multiple) and kept within -180 to 180. A step of 0 or less, or an
// angle at either end of the range, is left alone.
double Snap(double degrees, float step);
// Where writing an angle puts the dial: wrapped into -180 excluded to 180
// included, then snapped. An angle that snaps onto -180 stands at 180, the
// same direction, so the value never reads -180.
Position Place(float degrees, float step = 0);
// The value that writing an angle leads to.
float Wrap(float degrees, float step = 0);
// Positions closer than this count as the same, so that rounding alone never
// raises a change.
bool SamePosition(double a, double b);

// The angle of a pointer offset from the dial's centre, y growing downwards:
// 0 to the right, 90 above, -90 below and on the centre itself, -180 exactly
// to the left (which a write turns into 180). NaN when the offset is not
// finite.
float PointerAngle(float dx, float dy);
// Whether a pointer angle is far enough from the value to move the dial;
// jitter within a ten-thousandth of a degree is not.
bool MovesDial(float value, float angle);

// The value as the dial writes it in its middle: whole degrees, a half going
// to the even neighbour.
QString ValueText(float value);

}  // namespace DialMath
