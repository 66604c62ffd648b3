#include "ChartPage.h"

#include <QPainter>
#include <cmath>
#include <vector>

#include "Cartouche.h"
#include "ChartFonts.h"
#include "ChartPalette.h"
#include "CoastModel.h"
#include "CompassRose.h"
#include "ContourLayer.h"
#include "GeoFrame.h"
#include "LabelSpace.h"
#include "NameBook.h"
#include "NavigationMarks.h"
#include "NeatlineBorder.h"
#include "NoteBlocks.h"
#include "PlaceNames.h"
#include "Rng.h"
#include "SoundingLayer.h"
#include "TintRaster.h"

namespace {

constexpr double kSideMargin = 58.0;
constexpr double kTopMargin = 62.0;
constexpr double kBottomMargin = 66.0;
constexpr double kBand = 22.0;

}  // namespace

QRectF ChartPage::outerFrame() const {
    return QRectF(kSideMargin, kTopMargin, size_.width() - 2 * kSideMargin,
                  size_.height() - kTopMargin - kBottomMargin);
}

QRectF ChartPage::chartArea() const {
    return outerFrame().adjusted(kBand, kBand, -kBand, -kBand);
}

QImage ChartPage::render() const {
    const QRectF area = chartArea();
    const CoastModel coast(plan_, size_);
    const GeoFrame geo(area, plan_.westLonDeg, plan_.lonSpanMin, plan_.midLatDeg);
    QImage image = TintRaster(coast, area).render(size_);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    LabelSpace space(size_, 4);
    space.reserveOutside(area.adjusted(6, 6, -6, -6));
    NameBook names(plan_.seed ^ 0x4E414D45ull);

    painter.save();
    painter.setClipRect(area);
    drawGraticule(painter, space, geo);
    const ContourLayer contours(coast);
    contours.draw(painter, space);
    drawRoses(painter, space, coast);
    Cartouche(plan_, coast, area).draw(painter, space);
    NoteBlocks(area, plan_.seed ^ 0x4E07E5ull).draw(painter, space);
    PlaceNames(coast, area, plan_.seed ^ 0x9A3Eull).draw(painter, space, names);
    NavigationMarks(coast, area, plan_.seed ^ 0xA1D5ull).draw(painter, space, contours.coastline());
    SoundingLayer(coast, area, plan_.seed ^ 0x50D9ull).draw(painter, space);
    painter.restore();

    NeatlineBorder(outerFrame(), geo).draw(painter);
    drawMargins(painter);
    painter.end();

    soften(image);
    return image;
}

void ChartPage::drawGraticule(QPainter& painter, LabelSpace& space, const GeoFrame& geo) const {
    painter.setPen(QPen(ChartPalette::kInk, 0.9));
    for (int m = int(std::ceil(geo.westMin())); m < geo.eastMin(); ++m) {
        if (m % 5 != 0) continue;
        const double x = geo.xForLon(m);
        painter.drawLine(QPointF(x, geo.area().top()), QPointF(x, geo.area().bottom()));
        space.reserve(QRectF(x - 2, geo.area().top(), 4, geo.area().height()), LabelSpace::kLine);
    }
    for (int m = int(std::ceil(geo.southMin())); m < geo.northMin(); ++m) {
        if (m % 2 != 0) continue;
        const double y = geo.yForLat(m);
        painter.drawLine(QPointF(geo.area().left(), y), QPointF(geo.area().right(), y));
        space.reserve(QRectF(geo.area().left(), y - 2, geo.area().width(), 4), LabelSpace::kLine);
    }
}

void ChartPage::drawRoses(QPainter& painter, LabelSpace& space, const CoastModel& coast) const {
    Rng rng(plan_.seed ^ 0x2053u);
    const QRectF area = chartArea();
    std::vector<QPointF> placed;
    for (int attempt = 0; attempt < 4000 && int(placed.size()) < plan_.roseCount; ++attempt) {
        const double radius = 185.0;
        const QPointF centre(rng.uniform(area.left() + radius + 40, area.right() - radius - 40),
                             rng.uniform(area.top() + radius + 40, area.bottom() - radius - 40));
        bool farEnough = true;
        for (const QPointF& other : placed) {
            if (std::hypot(centre.x() - other.x(), centre.y() - other.y()) < 1000)
                farEnough = false;
        }
        if (!farEnough) continue;
        // Roses belong in open water where they do not hide the inshore detail.
        int wet = 0;
        int total = 0;
        for (int ring = 0; ring <= 3; ++ring) {
            for (int k = 0; k < 24; ++k) {
                const double a = k * 3.14159265 / 12;
                const QPointF p = centre + QPointF(std::cos(a), std::sin(a)) * (radius * ring / 3);
                wet += coast.depthAt(p) > 15 ? 1 : 0;
                ++total;
            }
        }
        if (wet < total - (attempt < 2500 ? 1 : 5)) continue;
        const CompassRose rose(centre, radius, plan_.variationDeg);
        if (!space.tryReserve(rose.bounds(), LabelSpace::kSolid)) continue;
        rose.draw(painter);
        placed.push_back(centre);
    }
}

void ChartPage::drawMargins(QPainter& painter) const {
    const QRectF frame = outerFrame();
    painter.save();
    painter.setPen(ChartPalette::kInk);

    const QFont number = ChartFonts::sans(30, true);
    painter.setFont(number);
    painter.drawText(QRectF(frame.right() - 300, frame.bottom() + 24, 300, 40),
                     Qt::AlignRight | Qt::AlignVCenter, plan_.chartNumber);
    painter.save();
    painter.translate(frame.left() + 150, frame.top() - 42);
    painter.rotate(180);
    painter.drawText(QRectF(-150, -20, 300, 40), Qt::AlignCenter, plan_.chartNumber);
    painter.restore();

    painter.setFont(ChartFonts::serif(13));
    painter.drawText(QRectF(frame.left(), frame.bottom() + 28, 1400, 24),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Published at Aldersea, 1 March 1991.  New Edition 14 June "
                                    "2019.  Small corrections: 2021-388, 2023-102, 2024-117"));
    painter.setFont(ChartFonts::sans(14, true));
    painter.drawText(QRectF(frame.center().x() - 400, frame.bottom() + 28, 800, 24),
                     Qt::AlignCenter, QStringLiteral("NOT TO BE USED FOR NAVIGATION"));
    painter.setFont(ChartFonts::serif(13, false, true));
    painter.drawText(QRectF(frame.right() - 1100, frame.top() - 44, 1100, 20),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("%1 - %2   (continuation on adjoining sheets)")
                         .arg(plan_.title, plan_.subtitle));
    painter.restore();
}

void ChartPage::soften(QImage& image) {
    const int w = image.width();
    const int h = image.height();
    auto blurRow = [w](const QRgb* src, QRgb* dst) {
        dst[0] = src[0];
        dst[w - 1] = src[w - 1];
        for (int x = 1; x + 1 < w; ++x) {
            const QRgb a = src[x - 1], b = src[x], c = src[x + 1];
            const int r = (qRed(a) + 2 * qRed(b) + qRed(c) + 2) >> 2;
            const int g = (qGreen(a) + 2 * qGreen(b) + qGreen(c) + 2) >> 2;
            const int bl = (qBlue(a) + 2 * qBlue(b) + qBlue(c) + 2) >> 2;
            dst[x] = qRgb(r, g, bl);
        }
    };

    // Horizontal pass into rows kept aside, then the vertical pass written back in place.
    const auto rowLength = static_cast<std::size_t>(w);
    std::vector<QRgb> above(rowLength);
    std::vector<QRgb> here(rowLength);
    std::vector<QRgb> below(rowLength);
    blurRow(reinterpret_cast<const QRgb*>(image.constScanLine(0)), here.data());
    above = here;
    for (int y = 0; y < h; ++y) {
        if (y + 1 < h) {
            blurRow(reinterpret_cast<const QRgb*>(image.constScanLine(y + 1)), below.data());
        } else {
            below = here;
        }
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb a = above[x], b = here[x], c = below[x];
            out[x] = qRgb((qRed(a) + 2 * qRed(b) + qRed(c) + 2) >> 2,
                          (qGreen(a) + 2 * qGreen(b) + qGreen(c) + 2) >> 2,
                          (qBlue(a) + 2 * qBlue(b) + qBlue(c) + 2) >> 2);
        }
        std::swap(above, here);
        std::swap(here, below);
    }
}
