#include "SwitchMath.h"

#include <algorithm>
#include <cmath>

namespace SwitchMath {

namespace {

constexpr float kTouchSlop = 3;
constexpr double kFullTraverseMs = 200;

}  // namespace

bool StateAtRelease(bool checked, bool dragged, float releaseX, float grabOffset, float thumbLength,
                    float width) {
    if (!dragged) return !checked;
    return releaseX - grabOffset + thumbLength / 2 >= width / 2;
}

bool CountsAsMovement(bool touch, float x, float y, float lastX, float lastY) {
    if (touch) return std::abs(x - lastX) >= kTouchSlop;
    return x != lastX || y != lastY;
}

float HoldInside(float left, float thumbLength, float width) {
    return std::max(0.0f, std::min(left, width - thumbLength));
}

int SlideMilliseconds(float distance, float travel) {
    if (travel <= 0) return int(kFullTraverseMs);
    return int(std::lround(kFullTraverseMs * std::abs(distance) / travel));
}

bool TrackShowsOn(float thumbLeft, float thumbLength, float width) {
    return thumbLeft + thumbLength / 2 >= width / 2;
}

}  // namespace SwitchMath
