#include "SoundingLayer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "ChartFonts.h"
#include "ChartPalette.h"
#include "CoastModel.h"
#include "LabelSpace.h"
#include "Rng.h"

void SoundingLayer::draw(QPainter& painter, LabelSpace& space) const {
    Rng rng(seed_);
    const QFont whole = ChartFonts::serif(17, false, true);
    const QFont tenth = ChartFonts::serif(12, false, true);
    const QFontMetricsF wholeMetrics(whole);
    const QFontMetricsF tenthMetrics(tenth);
    const double spacing = 40.0;

    painter.save();
    painter.setPen(ChartPalette::kInk);
    for (double gy = area_.top() + spacing / 2; gy < area_.bottom(); gy += spacing) {
        for (double gx = area_.left() + spacing / 2; gx < area_.right(); gx += spacing) {
            const QPointF p(gx + rng.uniform(-0.45, 0.45) * spacing,
                            gy + rng.uniform(-0.45, 0.45) * spacing);
            if (coast_.isLand(p)) continue;
            const double depth = coast_.depthAt(p);
            // Ground that dries at low water gets its height above datum, underlined.
            const bool drying = depth < 0.0;
            if (!drying && depth < 0.3) continue;
            // Offshore the survey lines were run further apart.
            const double keep = drying ? 0.7 : depth < 12 ? 0.9 : depth < 30 ? 0.5 : 0.3;
            if (!rng.chance(keep)) continue;

            // Real soundings scatter around the smooth model: rocks, holes, survey error.
            const double value = std::max(0.1, std::abs(depth) * (1.0 + rng.uniform(-0.06, 0.06)));
            QString major;
            QString minor;
            if (value < 21.0) {
                const int decimetres = int(std::lround(value * 10.0));
                major = QString::number(decimetres / 10);
                if (decimetres % 10 != 0) minor = QString::number(decimetres % 10);
            } else {
                major = QString::number(int(std::lround(value)));
            }

            const double majorWidth = wholeMetrics.horizontalAdvance(major);
            const double minorWidth = minor.isEmpty() ? 0.0 : tenthMetrics.horizontalAdvance(minor);
            const double height = wholeMetrics.capHeight();
            const double width = majorWidth + minorWidth;
            const QRectF box(p.x() - width / 2, p.y() - height / 2, width, height + 4);
            // Drying banks are narrow and fenced by the datum line; crossing that dotted line is
            // the lesser evil than leaving them blank.
            const std::uint8_t avoid =
                drying ? std::uint8_t(LabelSpace::kSolid | LabelSpace::kCoast) : LabelSpace::kAny;
            if (!space.tryReserve(box.adjusted(-4, -3, 4, 3), avoid)) continue;

            const double baseline = box.top() + height;
            painter.setFont(whole);
            painter.drawText(QPointF(box.left(), baseline), major);
            if (!minor.isEmpty()) {
                painter.setFont(tenth);
                painter.drawText(QPointF(box.left() + majorWidth, baseline + 4), minor);
            }
            if (drying) {
                painter.drawLine(QPointF(box.left(), baseline + 3),
                                 QPointF(box.left() + majorWidth - 1, baseline + 3));
            }
        }
    }
    painter.restore();
}
