#include "PhotoLighting.h"

#include <cmath>
#include <numbers>

#include "GradientNoise.h"
#include "PagePlan.h"

PhotoLighting::PhotoLighting(const PagePlan& plan, QSize pageSize)
    : cols_(pageSize.width() / kStep + 2), rows_(pageSize.height() / kStep + 2) {
    map_.resize(std::size_t(cols_) * rows_ * 3);
    const GradientNoise waves(plan.seed ^ 0x11647ull);
    const GradientNoise tint(plan.seed ^ 0x7147ull);

    const float halfW = float(pageSize.width()) / 2;
    const float halfH = float(pageSize.height()) / 2;
    const float halfDiagonal = std::sqrt(halfW * halfW + halfH * halfH);
    const double bearing = plan.lightBearingDeg * std::numbers::pi / 180.0;
    const float lx = float(std::sin(bearing));
    const float ly = float(-std::cos(bearing));
    const float warmth = float(plan.warmth);

    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            const float u = float(c * kStep);
            const float v = float(r * kStep);
            const float dx = (u - halfW) / halfDiagonal;
            const float dy = (v - halfH) / halfDiagonal;
            const float r2 = dx * dx + dy * dy;
            const float vignette = 1.0f - float(plan.vignette) * (0.65f * r2 + 0.35f * r2 * r2);
            const float side = dx * lx + dy * ly;  // +1 towards the light
            const float gradient = 1.0f + float(plan.lightGradient) * side;
            // Paper never lies flat: broad swells catch the light differently.
            const float swell = 1.0f + 0.022f * waves.fractal(u / 520.0f, v / 520.0f, 3);
            const float level = float(plan.exposure) * vignette * gradient * swell;

            // Lamp light is warm; daylight from the window side is a touch cooler.
            const float drift = 0.012f * tint.fractal(u / 900.0f, v / 900.0f, 2);
            float* out = &map_[(std::size_t(r) * cols_ + c) * 3];
            out[0] = level * (1.0f + drift);
            out[1] = level * (1.0f - 0.028f * warmth);
            out[2] = level * (1.0f - 0.085f * warmth + 0.03f * side - drift);
        }
    }

    if (!plan.verticalFold && !plan.horizontalFold) return;
    verticalFold_ = plan.verticalFold;
    const int along = (verticalFold_ ? pageSize.height() : pageSize.width()) / kStep + 2;
    const float centre = float(verticalFold_ ? pageSize.width() : pageSize.height()) / 2;
    foldLine_.resize(std::size_t(along));
    for (int i = 0; i < along; ++i) {
        // A hand-made fold is never quite straight.
        foldLine_[std::size_t(i)] = centre + 3.0f * waves.at(float(i) / 60.0f, 7.5f) + 1.5f;
    }
    crease_.resize(std::size_t(2 * kCreaseReach * kCreaseSamples));
    for (std::size_t i = 0; i < crease_.size(); ++i) {
        const float d = float(i) / kCreaseSamples - float(kCreaseReach);
        const float shadow = 0.075f * std::exp(-(d * d) / 18.0f);
        const float lit = 0.03f * std::exp(-((d - 8.0f) * (d - 8.0f)) / 50.0f);
        const float shade = 0.025f * std::exp(-((d + 12.0f) * (d + 12.0f)) / 120.0f);
        crease_[i] = 1.0f - shadow + lit - shade;
    }
}
