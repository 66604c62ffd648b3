#pragma once

// The ship's heading from the dial: a compass bearing on the screen, 0 up and
// clockwise, from 0 to below 360.
namespace HeadingRule {

// The dial's value with its sign reversed, brought into 0 to 360: -90 gives
// 90 (right), 90 gives 270 (left), 0 gives 0 (north).
double FromDial(float dialValue);

}  // namespace HeadingRule
