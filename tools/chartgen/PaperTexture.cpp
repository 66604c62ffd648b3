#include "PaperTexture.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "GradientNoise.h"
#include "Rng.h"

namespace {

// Fibres are drawn into a grey field and read back as brightness offsets around mid grey.
QImage fibreLayer(std::uint64_t seed) {
    QImage layer(PaperTexture::kSize, PaperTexture::kSize, QImage::Format_RGB32);
    layer.fill(QColor(128, 128, 128));
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    Rng rng(seed);
    for (int i = 0; i < 3200; ++i) {
        const QPointF start(rng.uniform(0, PaperTexture::kSize),
                            rng.uniform(0, PaperTexture::kSize));
        const double angle = rng.uniform(0, 6.2831853);
        const double length = rng.uniform(5, 34);
        const QPointF dir(std::cos(angle) * length, std::sin(angle) * length);
        const QPointF bend(-dir.y() * rng.uniform(-0.25, 0.25), dir.x() * rng.uniform(-0.25, 0.25));
        QPainterPath fibre(start);
        fibre.quadTo(start + dir * 0.5 + bend, start + dir);
        const bool dark = rng.chance(0.55);
        const int shade = dark ? 128 - rng.range(10, 26) : 128 + rng.range(8, 18);
        painter.setPen(QPen(QColor(shade, shade, shade), rng.uniform(0.5, 1.3)));
        // Draw the wrapped copies too so the tile has no seams.
        for (int oy = -1; oy <= 1; ++oy) {
            for (int ox = -1; ox <= 1; ++ox) {
                painter.drawPath(
                    fibre.translated(ox * PaperTexture::kSize, oy * PaperTexture::kSize));
            }
        }
    }
    return layer;
}

}  // namespace

PaperTexture::PaperTexture(std::uint64_t seed) : values_(std::size_t(kSize) * kSize, 1.0f) {
    const GradientNoise noise(seed);
    const QImage fibres = fibreLayer(seed ^ 0xF1B2Eull);
    // Lattice periods dividing the tile keep every octave seamless.
    const struct {
        int period;
        float amplitude;
    } octaves[] = {{64, 0.006f}, {16, 0.012f}, {8, 0.010f}};
    for (int y = 0; y < kSize; ++y) {
        const auto* fibreLine = reinterpret_cast<const QRgb*>(fibres.constScanLine(y));
        for (int x = 0; x < kSize; ++x) {
            float v = 1.0f;
            for (const auto& o : octaves) {
                const float scale = float(o.period) / float(kSize);
                v += o.amplitude * noise.periodicAt(float(x) * scale, float(y) * scale, o.period);
            }
            v += float(qRed(fibreLine[x]) - 128) * (0.05f / 128.0f);
            values_[std::size_t(y) * kSize + std::size_t(x)] = v;
        }
    }
}
