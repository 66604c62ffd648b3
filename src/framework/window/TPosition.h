#pragma once

#include <QPointF>
#include <functional>

// A control's place in its parent, in single precision like every stored
// position. Every write is stored; only a real change is reported.
class TPosition {
public:
    explicit TPosition(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    float X() const { return x_; }
    float Y() const { return y_; }
    QPointF Point() const { return {x_, y_}; }

    void SetX(float x) { Store(x_, x); }
    void SetY(float y) { Store(y_, y); }
    void SetPoint(float x, float y);

private:
    void Store(float& field, float value);

    float x_ = 0;
    float y_ = 0;
    std::function<void()> onChange_;
};
