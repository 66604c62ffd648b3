#include "GeoFrame.h"

#include <cmath>
#include <numbers>

GeoFrame::GeoFrame(const QRectF& area, double westLonDeg, double lonSpanMin, double midLatDeg)
    : area_(area), westMin_(westLonDeg * 60.0), lonSpanMin_(lonSpanMin) {
    const double pixelsPerLonMin = area.width() / lonSpanMin;
    const double pixelsPerLatMin = pixelsPerLonMin / std::cos(midLatDeg * std::numbers::pi / 180);
    latSpanMin_ = area.height() / pixelsPerLatMin;
    southMin_ = midLatDeg * 60.0 - latSpanMin_ / 2;
}

double GeoFrame::xForLon(double lonMin) const {
    return area_.left() + (lonMin - westMin_) / lonSpanMin_ * area_.width();
}

double GeoFrame::yForLat(double latMin) const {
    return area_.bottom() - (latMin - southMin_) / latSpanMin_ * area_.height();
}

namespace {

QString degreesMinutes(int minutes, QChar positive, QChar negative) {
    const int magnitude = std::abs(minutes);
    return QStringLiteral("%1°%2'%3")
        .arg(magnitude / 60)
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'))
        .arg(minutes < 0 ? negative : positive);
}

}  // namespace

QString GeoFrame::lonLabel(int lonMin) {
    return degreesMinutes(lonMin, 'E', 'W');
}

QString GeoFrame::latLabel(int latMin) {
    return degreesMinutes(latMin, 'N', 'S');
}
