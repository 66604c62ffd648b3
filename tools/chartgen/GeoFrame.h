#pragma once

#include <QRectF>
#include <QString>

// Latitude and longitude of the chart area. Spans are only a few minutes, so a linear scale with
// the Mercator stretch at mid-latitude is indistinguishable from the full projection.
class GeoFrame {
public:
    GeoFrame(const QRectF& area, double westLonDeg, double lonSpanMin, double midLatDeg);

    const QRectF& area() const { return area_; }
    double westMin() const { return westMin_; }
    double eastMin() const { return westMin_ + lonSpanMin_; }
    double southMin() const { return southMin_; }
    double northMin() const { return southMin_ + latSpanMin_; }

    double xForLon(double lonMin) const;
    double yForLat(double latMin) const;

    static QString lonLabel(int lonMin);
    static QString latLabel(int latMin);

private:
    QRectF area_;
    double westMin_ = 0.0;
    double lonSpanMin_ = 1.0;
    double southMin_ = 0.0;
    double latSpanMin_ = 1.0;
};
