#pragma once

#include <array>
#include <cstdint>

// Seeded 2-D gradient noise with a fractal sum. The permutation comes from our own generator so a
// given seed always gives the same coast.
class GradientNoise {
public:
    explicit GradientNoise(std::uint64_t seed);

    // Roughly in [-1, 1], one lattice cell per unit.
    float at(float x, float y) const { return periodicAt(x, y, 256); }

    // Repeats every `period` units (period <= 256), for textures that must tile.
    float periodicAt(float x, float y, int period) const;

    // Octaves double in frequency and are turned against each other so the lattice never shows.
    float fractal(float x, float y, int octaves, float gain = 0.5f) const;

private:
    std::array<std::uint8_t, 512> perm_{};
};
