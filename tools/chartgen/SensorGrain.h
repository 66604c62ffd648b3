#pragma once

#include <cstdint>
#include <vector>

// Luminance grain of a camera sensor after demosaicing: white noise smeared over a few pixels.
// Any row can be produced on its own, so rows may be shared among threads freely.
class SensorGrain {
public:
    explicit SensorGrain(std::uint64_t seed) : seed_(seed) {}

    // Grain of unit standard deviation for pixels [x0, x1) of row y.
    void row(int y, int x0, int x1, std::vector<float>& out) const;

private:
    void whiteRow(int y, int x0, int count, float* out) const;

    std::uint64_t seed_ = 0;
};
