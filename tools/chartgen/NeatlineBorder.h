#pragma once

#include <QRectF>

#include "GeoFrame.h"

class QPainter;

// The frame round the chart area: a heavy outer line, a light neatline, and between them the
// latitude and longitude scales in alternating minute bars with tenths ticked off.
class NeatlineBorder {
public:
    NeatlineBorder(const QRectF& outer, const GeoFrame& geo) : outer_(outer), geo_(geo) {}

    void draw(QPainter& painter) const;

private:
    void drawLongitudeScale(QPainter& painter, bool top) const;
    void drawLatitudeScale(QPainter& painter, bool left) const;

    QRectF outer_;
    GeoFrame geo_;
};
