#include "CoastModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "GradientNoise.h"

namespace {

constexpr float kGridStep = 2.0f;
constexpr double kDepthScale = 68.0;
constexpr double kDepthExponent = 1.35;
// The shelf levels out: depths approach this instead of growing without bound offshore.
constexpr double kDeepest = 96.0;
constexpr double kAltitudeScale = 320.0;

}  // namespace

CoastModel::CoastModel(const PagePlan& plan, QSize pageSize) {
    const int cols = int(std::ceil(float(pageSize.width()) / kGridStep)) + 1;
    const int rows = int(std::ceil(float(pageSize.height()) / kGridStep)) + 1;
    field_ = HeightField(cols, rows, kGridStep);

    const GradientNoise broad(plan.seed * 4 + 1);
    const GradientNoise detail(plan.seed * 4 + 2);
    const GradientNoise warpX(plan.seed * 4 + 3);
    const GradientNoise warpY(plan.seed * 4 + 4);

    // Work in units of the page height so the coast has the same grain on every page.
    const float unit = float(pageSize.height());
    const double bearing = plan.landBearingDeg * std::numbers::pi / 180.0;
    const float dx = float(std::sin(bearing));
    const float dy = float(-std::cos(bearing));
    const float cx = float(plan.coastCentre.x() * pageSize.width()) / unit;
    const float cy = float(plan.coastCentre.y() * pageSize.height()) / unit;
    const float slope = float(plan.landSlope);

    // The warp and the broad shapes vary slowly; a coarse lattice of them, interpolated, saves
    // most of the noise evaluations without changing the look.
    const int coarse = 4;
    const int coarseCols = (cols + coarse - 1) / coarse + 1;
    const int coarseRows = (rows + coarse - 1) / coarse + 1;
    std::vector<float> slow(std::size_t(coarseCols) * std::size_t(coarseRows) * 3);
    for (int r = 0; r < coarseRows; ++r) {
        const float y = float(r * coarse) * kGridStep / unit;
        for (int c = 0; c < coarseCols; ++c) {
            const float x = float(c * coarse) * kGridStep / unit;
            float* out = &slow[(std::size_t(r) * std::size_t(coarseCols) + std::size_t(c)) * 3];
            // Warping the domain bends the shoreline into bays and spits instead of blobs.
            out[0] = 0.22f * warpX.fractal(x * 1.5f, y * 1.5f, 5);
            out[1] = 0.22f * warpY.fractal(x * 1.5f, y * 1.5f, 5);
            out[2] = 0.50f * broad.fractal((x + out[0]) * 0.9f, (y + out[1]) * 0.9f, 3);
        }
    }

    for (int r = 0; r < rows; ++r) {
        const float y = float(r) * kGridStep / unit;
        const int cr = r / coarse;
        const float fy = float(r % coarse) / float(coarse);
        for (int c = 0; c < cols; ++c) {
            const float x = float(c) * kGridStep / unit;
            const int cc = c / coarse;
            const float fx = float(c % coarse) / float(coarse);
            const float* a =
                &slow[(std::size_t(cr) * std::size_t(coarseCols) + std::size_t(cc)) * 3];
            const float* b = a + std::size_t(coarseCols) * 3;
            float v[3];
            for (int k = 0; k < 3; ++k) {
                const float top = a[k] + (a[k + 3] - a[k]) * fx;
                const float bottom = b[k] + (b[k + 3] - b[k]) * fx;
                v[k] = top + (bottom - top) * fy;
            }
            const float wx = x + v[0];
            const float wy = y + v[1];
            const float ramp = ((wx - cx) * dx + (wy - cy) * dy) * slope;
            field_.at(c, r) = ramp + v[2] + 0.50f * detail.fractal(wx * 2.6f, wy * 2.6f, 7, 0.58f);
        }
    }
    fillInlandHollows();
}

void CoastModel::fillInlandHollows() {
    // Hollows below sea level that the sea cannot reach would print as tidal flats in the
    // middle of the hills. Flood from the page border and raise whatever stays dry.
    const int cols = field_.cols();
    const int rows = field_.rows();
    std::vector<std::uint8_t> sea(std::size_t(cols) * std::size_t(rows), 0);
    std::vector<int> queue;
    auto visit = [&](int c, int r) {
        const std::size_t i = std::size_t(r) * std::size_t(cols) + std::size_t(c);
        if (sea[i] || field_.at(c, r) > kCoastLevel) return;
        sea[i] = 1;
        queue.push_back(int(i));
    };
    for (int c = 0; c < cols; ++c) {
        visit(c, 0);
        visit(c, rows - 1);
    }
    for (int r = 0; r < rows; ++r) {
        visit(0, r);
        visit(cols - 1, r);
    }
    while (!queue.empty()) {
        const int i = queue.back();
        queue.pop_back();
        const int c = i % cols;
        const int r = i / cols;
        if (c > 0) visit(c - 1, r);
        if (c + 1 < cols) visit(c + 1, r);
        if (r > 0) visit(c, r - 1);
        if (r + 1 < rows) visit(c, r + 1);
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            float& h = field_.at(c, r);
            if (h <= kCoastLevel && !sea[std::size_t(r) * std::size_t(cols) + std::size_t(c)]) {
                h = kCoastLevel + 0.004f + (kCoastLevel - h) * 0.05f;
            }
        }
    }
}

double CoastModel::depthForLevel(float level) {
    const double below = double(kDatumLevel - level);
    if (below <= 0.0) {
        return below * 110.0;  // drying heights: a few metres at most, up to high water
    }
    const double raw = kDepthScale * std::pow(below, kDepthExponent);
    return kDeepest * (1.0 - std::exp(-raw / kDeepest));
}

float CoastModel::levelForDepth(double metres) {
    const double raw = -kDeepest * std::log(1.0 - std::min(metres, kDeepest - 0.5) / kDeepest);
    return kDatumLevel - float(std::pow(raw / kDepthScale, 1.0 / kDepthExponent));
}

double CoastModel::altitudeForLevel(float level) {
    return kAltitudeScale * double(std::max(level, 0.0f));
}

float CoastModel::levelForAltitude(double metres) {
    return float(metres / kAltitudeScale);
}
