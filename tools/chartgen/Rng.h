#pragma once

#include <cstdint>

// SplitMix64. Small, fast, and defined purely by integer arithmetic, so the generated chart is the
// same on every machine and with every standard library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Moves the stream as if next() had been called n times (n may be negative).
    void skip(std::int64_t n) { state_ += std::uint64_t(n) * 0x9E3779B97F4A7C15ull; }

    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    bool chance(double p) { return uniform() < p; }
    int range(int lo, int hi);  // inclusive on both ends

    // Close enough to a unit normal for grain; a sum of four 16-bit uniforms avoids libm.
    float normal() {
        const std::uint64_t r = next();
        const auto sum = std::uint32_t(r & 0xFFFF) + std::uint32_t((r >> 16) & 0xFFFF) +
                         std::uint32_t((r >> 32) & 0xFFFF) + std::uint32_t(r >> 48);
        return (float(sum) - 131070.0f) * (1.0f / 37837.23f);
    }

    // Derives an independent stream, e.g. one per image row, so threads can share out the work
    // in any way without changing the result.
    static std::uint64_t derive(std::uint64_t seed, std::uint64_t index);

private:
    std::uint64_t state_ = 0;
};
