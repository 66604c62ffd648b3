#pragma once

#include <QPointF>
#include <QRectF>

class QPainter;

// A compass rose as printed on coastal charts: a true ring graduated in degrees with a star at
// true north, and inside it a magnetic ring turned by the local variation.
class CompassRose {
public:
    CompassRose(QPointF centre, double radius, double variationDeg)
        : centre_(centre), radius_(radius), variationDeg_(variationDeg) {}

    QRectF bounds() const;
    void draw(QPainter& painter) const;

private:
    void drawTrueRing(QPainter& painter) const;
    void drawMagneticRing(QPainter& painter) const;
    void drawCentre(QPainter& painter) const;

    QPointF centre_;
    double radius_ = 150.0;
    double variationDeg_ = 0.0;
};
