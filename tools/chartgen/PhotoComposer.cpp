#include "PhotoComposer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "PagePlan.h"
#include "ParallelRows.h"
#include "Rng.h"

struct PhotoComposer::Photo {
    const QImage* page = nullptr;
    QRect cell;
    QTransform frameToPage;
    QPointF lensCentre;
    double lensScale = 1.0;  // 1 / (half diagonal)^2, so the distortion term is dimensionless
    double barrel = 0.0;
    int textureX = 0;
    int textureY = 0;
    std::unique_ptr<PhotoLighting> lighting;
};

namespace {

// Camera black is never pure: the darkest ink comes out as a warm dark grey.
constexpr float kBlack[3] = {0.095f, 0.088f, 0.082f};
// Standard deviation, in 8-bit levels, of the luminance grain. It costs more file size than
// anything else in the picture, so it is kept just strong enough to read as a photograph.
constexpr float kGrain = 2.2f;

// Bilinear lookup of the flat page; `u`, `v` are page coordinates of the pixel centre.
struct PageSampler {
    const std::uint8_t* bits = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;

    explicit PageSampler(const QImage& page)
        : bits(page.constBits()),
          stride(page.bytesPerLine()),
          width(page.width()),
          height(page.height()) {}

    void operator()(float u, float v, float out[3]) const {
        const float cu = std::clamp(u - 0.5f, 0.0f, float(width - 1) - 1e-3f);
        const float cv = std::clamp(v - 0.5f, 0.0f, float(height - 1) - 1e-3f);
        const int x = int(cu);
        const int y = int(cv);
        const float fx = cu - float(x);
        const float fy = cv - float(y);
        const auto* a = reinterpret_cast<const QRgb*>(bits + stride * y) + x;
        const auto* b = reinterpret_cast<const QRgb*>(bits + stride * (y + 1)) + x;
        const float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy);
        const float w01 = (1 - fx) * fy, w11 = fx * fy;
        out[0] = w00 * qRed(a[0]) + w10 * qRed(a[1]) + w01 * qRed(b[0]) + w11 * qRed(b[1]);
        out[1] = w00 * qGreen(a[0]) + w10 * qGreen(a[1]) + w01 * qGreen(b[0]) + w11 * qGreen(b[1]);
        out[2] = w00 * qBlue(a[0]) + w10 * qBlue(a[1]) + w01 * qBlue(b[0]) + w11 * qBlue(b[1]);
    }
};

}  // namespace

PhotoComposer::PhotoComposer(QSize frameSize, std::uint64_t seed)
    : frameSize_(frameSize), texture_(seed ^ 0x7E47ull), grain_(seed ^ 0x6A41ull) {}

PhotoComposer::~PhotoComposer() = default;

void PhotoComposer::addPhoto(const QImage& page, const PagePlan& plan, const QRect& cell) {
    auto photo = std::make_unique<Photo>();
    photo->page = &page;
    photo->cell = cell;

    const QPointF pageCentre(page.width() / 2.0, page.height() / 2.0);
    const QPointF cellCentre = QRectF(cell).center() + plan.photoShift;
    QTransform tilt(1, 0, plan.keystone.x(), 0, 1, plan.keystone.y(), 0, 0, 1);
    QTransform turn;
    turn.rotate(plan.photoAngleDeg);
    turn.scale(plan.photoScale, plan.photoScale);
    const QTransform pageToFrame = QTransform::fromTranslate(-pageCentre.x(), -pageCentre.y()) *
                                   tilt * turn *
                                   QTransform::fromTranslate(cellCentre.x(), cellCentre.y());
    photo->frameToPage = pageToFrame.inverted();

    photo->lensCentre = QRectF(cell).center();
    const double halfW = cell.width() / 2.0;
    const double halfH = cell.height() / 2.0;
    photo->lensScale = 1.0 / (halfW * halfW + halfH * halfH);
    photo->barrel = plan.barrel;

    Rng rng(plan.seed ^ 0x9A9E7ull);
    photo->textureX = rng.range(0, PaperTexture::kSize - 1);
    photo->textureY = rng.range(0, PaperTexture::kSize - 1);
    photo->lighting = std::make_unique<PhotoLighting>(plan, page.size());
    photos_.push_back(std::move(photo));
}

QImage PhotoComposer::compose() const {
    QImage frame(frameSize_, QImage::Format_RGBA8888);
    ParallelRows::run(frameSize_.height(),
                      [&](int begin, int end) { composeRows(frame, begin, end); });
    return frame;
}

void PhotoComposer::composeRows(QImage& frame, int begin, int end) const {
    for (int y = begin; y < end; ++y) {
        std::uint8_t* line = frame.scanLine(y);
        std::memset(line, 0xFF, std::size_t(frameSize_.width()) * 4);
        for (const auto& photo : photos_) {
            if (y < photo->cell.top() || y > photo->cell.bottom()) continue;
            composeSpan(*photo, y, photo->cell.left(), photo->cell.right() + 1, line);
        }
    }
}

void PhotoComposer::composeSpan(const Photo& photo, int y, int x0, int x1,
                                std::uint8_t* out) const {
    const QTransform& t = photo.frameToPage;
    const float m11 = float(t.m11()), m12 = float(t.m12()), m13 = float(t.m13());
    const float m21 = float(t.m21()), m22 = float(t.m22()), m23 = float(t.m23());
    const float m31 = float(t.m31()), m32 = float(t.m32()), m33 = float(t.m33());
    const float pageW = float(photo.page->width());
    const float pageH = float(photo.page->height());
    const float lensX = float(photo.lensCentre.x());
    const float lensY = float(photo.lensCentre.y());
    const float lensScale = float(photo.lensScale);
    const float barrel = float(photo.barrel);
    const PageSampler samplePage(*photo.page);

    // Grain is seeded by position, never per thread, so the output does not depend on how rows
    // were shared out.
    std::vector<float> grain;
    grain_.row(y, x0, x1, grain);
    const float dy = float(y) + 0.5f - lensY;

    for (int x = x0; x < x1; ++x) {
        std::uint8_t* px = out + std::size_t(x) * 4;
        const float dx = float(x) + 0.5f - lensX;
        const float distort = 1.0f + barrel * (dx * dx + dy * dy) * lensScale;
        const float fx = lensX + dx * distort;
        const float fy = lensY + dy * distort;
        const float w = m13 * fx + m23 * fy + m33;
        const float u = (m11 * fx + m21 * fy + m31) / w;
        const float v = (m12 * fx + m22 * fy + m32) / w;

        const float edge = std::min(std::min(u, pageW - u), std::min(v, pageH - v));
        if (edge <= 0.0f) continue;  // off the paper: plain white fill
        const float coverage = std::min(edge, 1.0f);

        float ink[3];
        samplePage(u, v, ink);
        float light[3];
        photo.lighting->gains(u, v, light);
        const float paper = texture_.at(int(u) + photo.textureX, int(v) + photo.textureY);

        const float noise = grain[std::size_t(x - x0)] * kGrain;
        for (int ch = 0; ch < 3; ++ch) {
            const float reflect = ink[ch] * (1.0f / 255.0f) * paper * light[ch];
            const float value = 255.0f * (kBlack[ch] + (1.0f - kBlack[ch]) * reflect);
            const float blended = 255.0f + (value + noise - 255.0f) * coverage;
            px[ch] = std::uint8_t(std::clamp(blended + 0.5f, 0.0f, 255.0f));
        }
        px[3] = 255;
    }
}
