#pragma once

#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>

// Everything that makes one page of the sheet, and the photograph taken of it, differ from the
// other three.
struct PagePlan {
    std::uint64_t seed = 0;

    // Shape of the coast: land lies towards `landBearingDeg` (clockwise from page up) from a
    // shoreline through `coastCentre` (fractions of the page).
    double landBearingDeg = 0.0;
    QPointF coastCentre{0.5, 0.5};
    double landSlope = 1.2;

    QString chartNumber;
    QString title;
    QString subtitle;

    // Graticule of the chart area.
    double westLonDeg = -6.0;
    double lonSpanMin = 30.0;
    double midLatDeg = 50.5;
    double variationDeg = -3.5;
    int roseCount = 2;

    // The photograph: how the camera saw the page and how it was lit.
    double photoAngleDeg = 0.0;
    double photoScale = 1.0;
    QPointF photoShift;
    QPointF keystone;  // projective terms per pixel; tiny values tilt the page plane
    double barrel = 0.0;
    double exposure = 1.0;
    double vignette = 0.2;
    double lightBearingDeg = 0.0;
    double lightGradient = 0.05;
    double warmth = 1.0;
    bool verticalFold = false;
    bool horizontalFold = false;

    static std::array<PagePlan, 4> sheet();
};
