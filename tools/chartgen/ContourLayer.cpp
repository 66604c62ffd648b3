#include "ContourLayer.h"

#include <QPainter>
#include <QPen>
#include <cmath>

#include "ChartPalette.h"
#include "CoastModel.h"
#include "ContourTracer.h"
#include "LabelSpace.h"

namespace {

double length(const QPolygonF& line) {
    double total = 0.0;
    for (int i = 1; i < line.size(); ++i) {
        const QPointF d = line[i] - line[i - 1];
        total += std::hypot(d.x(), d.y());
    }
    return total;
}

// Tiny rings of a contour are survey noise on a printed chart; cartographers leave them out.
std::vector<QPolygonF> withoutTinyRings(std::vector<QPolygonF> lines, double minLength) {
    std::erase_if(lines, [minLength](const QPolygonF& l) { return length(l) < minLength; });
    return lines;
}

enum Style { kSolid, kDashed, kDotted, kDashDot, kLongDash };

QPen contourPen(int style, const QColor& colour, double width) {
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    switch (style) {
        case kDashed:
            pen.setDashPattern({6, 4});
            break;
        case kDotted:
            pen.setDashPattern({1.2, 2.6});
            pen.setCapStyle(Qt::RoundCap);
            break;
        case kDashDot:
            pen.setDashPattern({8, 3, 1.5, 3});
            break;
        case kLongDash:
            pen.setDashPattern({14, 5});
            break;
        default:
            break;
    }
    return pen;
}

}  // namespace

ContourLayer::ContourLayer(const CoastModel& coast) {
    const ContourTracer tracer(coast.field());
    coastline_ = withoutTinyRings(tracer.trace(CoastModel::kCoastLevel), 10.0);
    datum_ = withoutTinyRings(tracer.trace(CoastModel::kDatumLevel), 20.0);
    const struct {
        double metres;
        int style;
    } depths[] = {{2, kDashed},   {5, kSolid},     {10, kSolid},
                  {20, kDashDot}, {30, kLongDash}, {50, kDashed}};
    for (const auto& d : depths) {
        depths_.push_back(
            {withoutTinyRings(tracer.trace(CoastModel::levelForDepth(d.metres)), 60.0), d.style});
    }
    for (double metres : {25.0, 50.0, 100.0, 150.0, 200.0, 250.0}) {
        heights_.push_back(
            withoutTinyRings(tracer.trace(CoastModel::levelForAltitude(metres)), 40.0));
    }
}

void ContourLayer::draw(QPainter& painter, LabelSpace& space) const {
    painter.save();
    painter.setBrush(Qt::NoBrush);

    painter.setPen(contourPen(kSolid, ChartPalette::kLandContour, 1.0));
    for (const auto& level : heights_) {
        for (const QPolygonF& line : level) painter.drawPolyline(line);
    }

    for (const Contour& contour : depths_) {
        painter.setPen(contourPen(contour.style, ChartPalette::kContour, 1.15));
        for (const QPolygonF& line : contour.lines) {
            painter.drawPolyline(line);
            space.reservePolyline(line, 3.0);
        }
    }

    painter.setPen(contourPen(kDotted, ChartPalette::kInk, 1.4));
    for (const QPolygonF& line : datum_) {
        painter.drawPolyline(line);
        space.reservePolyline(line, 3.0);
    }

    painter.setPen(QPen(ChartPalette::kInk, 2.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPolygonF& line : coastline_) {
        painter.drawPolyline(line);
        space.reservePolyline(line, 5.0, LabelSpace::kLine | LabelSpace::kCoast);
    }
    painter.restore();
}
