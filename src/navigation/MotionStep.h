#pragma once

// One step of the ship along its heading, in logical pixels with y growing
// downwards. Products and sums are formed in double precision; only the new
// coordinates are narrowed to single precision, as positions are stored.
namespace MotionStep {

// The heading in radians, from degrees multiplied in extended precision.
double Radians(double heading);
// The new x after moving `speed` along the bearing `theta` (radians).
float NextX(float x, double speed, double theta);
// The new y after moving `speed` along the bearing `theta` (radians).
float NextY(float y, double speed, double theta);

}  // namespace MotionStep
