#include "TPosition.h"

void TPosition::SetPoint(float x, float y) {
    const bool changed = x != x_ || y != y_;
    x_ = x;
    y_ = y;
    if (changed) onChange_();
}

void TPosition::Store(float& field, float value) {
    const bool changed = field != value;
    field = value;
    if (changed) onChange_();
}
