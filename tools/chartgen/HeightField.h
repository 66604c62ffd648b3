#pragma once

#include <vector>

// A regular grid of heights over a page, sampled bilinearly between nodes. Node (0, 0) sits on
// the page origin and nodes are `step` pixels apart.
class HeightField {
public:
    HeightField() = default;
    HeightField(int cols, int rows, float step);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    float step() const { return step_; }

    float& at(int col, int row) { return values_[std::size_t(row) * std::size_t(cols_) + col]; }
    float at(int col, int row) const {
        return values_[std::size_t(row) * std::size_t(cols_) + col];
    }

    // Page coordinates in pixels; positions off the grid take the nearest edge value.
    float sample(float x, float y) const;

private:
    int cols_ = 0;
    int rows_ = 0;
    float step_ = 1.0f;
    std::vector<float> values_;
};
