#pragma once

// The angle rules of the heading dial, apart from any drawing or input.
namespace DialMath {

// Any angle brought into the dial's range, -180 excluded to 180 included.
float Wrap(float degrees);
// The angle of a pointer offset from the dial's centre, y growing downwards:
// 0 to the right, 90 above, 180 to the left, -90 below.
float PointerAngle(float dx, float dy);

}  // namespace DialMath
