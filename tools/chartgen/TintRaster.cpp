#include "TintRaster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ChartPalette.h"
#include "CoastModel.h"

namespace {

QRgb scaled(const QColor& colour, float factor) {
    auto channel = [factor](int v) { return std::clamp(int(float(v) * factor + 0.5f), 0, 255); };
    return qRgb(channel(colour.red()), channel(colour.green()), channel(colour.blue()));
}

}  // namespace

QImage TintRaster::render(QSize pageSize) const {
    QImage image(pageSize, QImage::Format_RGB32);
    image.fill(ChartPalette::kPaper);

    const HeightField& field = coast_.field();
    const int cols = field.cols();
    const int rows = field.rows();

    // Relief shading at grid resolution, lit from the north-west as map makers have always done.
    // Slopes are taken over several nodes so that only the broad landforms show, not the grain.
    std::vector<float> shade(std::size_t(cols) * std::size_t(rows), 1.0f);
    const int reach = 5;
    const float exaggeration = 260.0f / (field.step() * float(reach));
    const float lx = -0.55f, ly = -0.55f, lz = 0.63f;
    for (int r = reach; r + reach < rows; ++r) {
        for (int c = reach; c + reach < cols; ++c) {
            if (field.at(c, r) <= 0.0f) continue;
            const float gx =
                (field.at(c + reach, r) - field.at(c - reach, r)) * 0.5f * exaggeration;
            const float gy =
                (field.at(c, r + reach) - field.at(c, r - reach)) * 0.5f * exaggeration;
            const float len = std::sqrt(gx * gx + gy * gy + 1.0f);
            const float lambert = (-gx * lx - gy * ly + lz) / len / lz;
            shade[std::size_t(r) * std::size_t(cols) + c] =
                std::clamp(1.0f + 0.10f * (lambert - 1.0f), 0.92f, 1.03f);
        }
    }

    const float d5 = CoastModel::levelForDepth(5.0);
    const float d10 = CoastModel::levelForDepth(10.0);
    const float d20 = CoastModel::levelForDepth(20.0);
    const QRgb drying = ChartPalette::kDrying.rgb();
    const QRgb shallow = ChartPalette::kShallow.rgb();
    const QRgb medium = ChartPalette::kMedium.rgb();
    const QRgb deepTint = ChartPalette::kDeepTint.rgb();

    const int x0 = std::max(0, int(std::floor(area_.left())));
    const int x1 = std::min(pageSize.width(), int(std::ceil(area_.right())));
    const int y0 = std::max(0, int(std::floor(area_.top())));
    const int y1 = std::min(pageSize.height(), int(std::ceil(area_.bottom())));
    const float inv = 1.0f / field.step();
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const float h = field.sample(float(x), float(y));
            if (h > CoastModel::kCoastLevel) {
                const int c = std::min(cols - 2, int(float(x) * inv));
                const int r = std::min(rows - 2, int(float(y) * inv));
                const float s = shade[std::size_t(r) * std::size_t(cols) + c];
                const float height = std::min(h, 1.0f);
                line[x] = scaled(ChartPalette::kLand, s * (1.0f - 0.05f * height));
            } else if (h > CoastModel::kDatumLevel) {
                line[x] = drying;
            } else if (h > d5) {
                line[x] = shallow;
            } else if (h > d10) {
                line[x] = medium;
            } else if (h > d20) {
                line[x] = deepTint;
            }
        }
    }
    return image;
}
