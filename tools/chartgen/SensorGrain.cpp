#include "SensorGrain.h"

#include "Rng.h"

namespace {

// A [1 2 1] kernel in both directions keeps 6/16 of the white noise's standard deviation.
constexpr float kUnitGain = 16.0f / 6.0f;

}  // namespace

void SensorGrain::whiteRow(int y, int x0, int count, float* out) const {
    Rng rng(Rng::derive(seed_, std::uint64_t(std::int64_t(y) + 1)));
    // Skip to x0 so a pixel's noise depends only on its position, not on where a span starts.
    rng.skip(x0);
    for (int i = 0; i < count; ++i) out[i] = rng.normal();
}

void SensorGrain::row(int y, int x0, int x1, std::vector<float>& out) const {
    const int n = x1 - x0;
    const int padded = n + 2;
    std::vector<float> white(std::size_t(padded) * 3);
    for (int k = 0; k < 3; ++k)
        whiteRow(y - 1 + k, x0 - 1, padded, &white[std::size_t(k) * padded]);
    out.resize(std::size_t(n));
    const float* a = white.data();
    const float* b = a + padded;
    const float* c = b + padded;
    for (int i = 0; i < n; ++i) {
        const float top = a[i] + 2 * a[i + 1] + a[i + 2];
        const float mid = b[i] + 2 * b[i + 1] + b[i + 2];
        const float bottom = c[i] + 2 * c[i + 1] + c[i + 2];
        out[std::size_t(i)] = (top + 2 * mid + bottom) * (kUnitGain / 16.0f);
    }
}
