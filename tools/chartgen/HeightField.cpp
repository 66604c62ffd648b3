#include "HeightField.h"

#include <algorithm>
#include <cmath>

HeightField::HeightField(int cols, int rows, float step)
    : cols_(cols), rows_(rows), step_(step), values_(std::size_t(cols) * std::size_t(rows), 0.0f) {}

float HeightField::sample(float x, float y) const {
    const float gx = std::clamp(x / step_, 0.0f, float(cols_ - 1) - 1e-3f);
    const float gy = std::clamp(y / step_, 0.0f, float(rows_ - 1) - 1e-3f);
    const int c = int(gx);
    const int r = int(gy);
    const float fx = gx - float(c);
    const float fy = gy - float(r);
    const float top = at(c, r) + (at(c + 1, r) - at(c, r)) * fx;
    const float bottom = at(c, r + 1) + (at(c + 1, r + 1) - at(c, r + 1)) * fx;
    return top + (bottom - top) * fy;
}
