#include "GradientNoise.h"

#include <cmath>
#include <numeric>
#include <utility>

#include "Rng.h"

namespace {

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

float grad(int hash, float x, float y) {
    switch (hash & 7) {
        case 0:
            return x + y;
        case 1:
            return -x + y;
        case 2:
            return x - y;
        case 3:
            return -x - y;
        case 4:
            return x;
        case 5:
            return -x;
        case 6:
            return y;
        default:
            return -y;
    }
}

int wrap(int i, int period) {
    const int m = i % period;
    return m < 0 ? m + period : m;
}

}  // namespace

GradientNoise::GradientNoise(std::uint64_t seed) {
    std::array<std::uint8_t, 256> p{};
    std::iota(p.begin(), p.end(), std::uint8_t{0});
    Rng rng(seed);
    for (int i = 255; i > 0; --i) {
        std::swap(p[i], p[rng.next() % std::uint64_t(i + 1)]);
    }
    for (int i = 0; i < 512; ++i) {
        perm_[i] = p[i & 255];
    }
}

float GradientNoise::periodicAt(float x, float y, int period) const {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int xi = wrap(int(fx), period);
    const int yi = wrap(int(fy), period);
    const int xj = xi + 1 == period ? 0 : xi + 1;
    const int yj = yi + 1 == period ? 0 : yi + 1;
    const float xf = x - fx;
    const float yf = y - fy;

    const int aa = perm_[perm_[xi] + yi];
    const int ab = perm_[perm_[xi] + yj];
    const int ba = perm_[perm_[xj] + yi];
    const int bb = perm_[perm_[xj] + yj];

    const float u = fade(xf);
    const float v = fade(yf);
    const float top = lerp(grad(aa, xf, yf), grad(ba, xf - 1.0f, yf), u);
    const float bottom = lerp(grad(ab, xf, yf - 1.0f), grad(bb, xf - 1.0f, yf - 1.0f), u);
    return lerp(top, bottom, v);
}

float GradientNoise::fractal(float x, float y, int octaves, float gain) const {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * at(x + float(o) * 17.31f, y - float(o) * 9.17f);
        norm += amplitude;
        amplitude *= gain;
        const float nx = 1.6f * x - 1.2f * y;
        const float ny = 1.2f * x + 1.6f * y;
        x = nx;
        y = ny;
    }
    return sum / norm;
}
