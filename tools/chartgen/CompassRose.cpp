#include "CompassRose.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

#include "ChartFonts.h"
#include "ChartPalette.h"

namespace {

QPointF polar(double radius, double bearingDeg) {
    const double a = qDegreesToRadians(bearingDeg);
    return {radius * std::sin(a), -radius * std::cos(a)};
}

QPainterPath star(QPointF centre, double outer) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? outer : outer * 0.42;
        const QPointF p = centre + polar(r, i * 36.0);
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    path.closeSubpath();
    return path;
}

void drawRingLabel(QPainter& painter, double radius, double bearingDeg, const QString& text) {
    painter.save();
    painter.rotate(bearingDeg);
    painter.drawText(QRectF(-30, -radius - 8, 60, 16), Qt::AlignCenter, text);
    painter.restore();
}

}  // namespace

QRectF CompassRose::bounds() const {
    const double r = radius_ + 30.0;
    return QRectF(centre_.x() - r, centre_.y() - r, 2 * r, 2 * r);
}

void CompassRose::draw(QPainter& painter) const {
    painter.save();
    painter.translate(centre_);
    painter.setBrush(Qt::NoBrush);
    drawTrueRing(painter);
    drawMagneticRing(painter);
    drawCentre(painter);
    painter.restore();
}

void CompassRose::drawTrueRing(QPainter& painter) const {
    const double r = radius_;
    painter.setPen(QPen(ChartPalette::kMagenta, 1.6));
    painter.drawEllipse(QPointF(), r, r);
    painter.setPen(QPen(ChartPalette::kMagenta, 1.0));
    painter.drawEllipse(QPointF(), r - 36, r - 36);
    painter.drawEllipse(QPointF(), r - 4, r - 4);

    for (int d = 0; d < 360; ++d) {
        const double len = d % 10 == 0 ? 14.0 : d % 5 == 0 ? 10.0 : 6.0;
        painter.setPen(QPen(ChartPalette::kMagenta, d % 10 == 0 ? 1.3 : 0.9));
        painter.drawLine(polar(r - 4, d), polar(r - 4 - len, d));
    }
    painter.setPen(ChartPalette::kMagenta);
    painter.setFont(ChartFonts::sans(11));
    for (int d = 10; d < 360; d += 10) {
        drawRingLabel(painter, r - 27, d, QString::number(d));
    }
    // True north is marked by a star instead of a figure.
    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartPalette::kMagenta);
    painter.drawPath(star(polar(r - 26, 0.0), 10.0));
    painter.setBrush(Qt::NoBrush);
}

void CompassRose::drawMagneticRing(QPainter& painter) const {
    const double r = radius_ * 0.64;
    painter.save();
    painter.rotate(variationDeg_);
    painter.setPen(QPen(ChartPalette::kMagenta, 1.2));
    painter.drawEllipse(QPointF(), r, r);
    painter.setPen(QPen(ChartPalette::kMagenta, 0.9));
    painter.drawEllipse(QPointF(), r - 26, r - 26);
    for (int d = 0; d < 360; d += 2) {
        const double len = d % 30 == 0 ? 12.0 : d % 10 == 0 ? 8.0 : 4.0;
        painter.drawLine(polar(r, d), polar(r - len, d));
    }
    painter.setFont(ChartFonts::sans(10));
    for (int d = 30; d < 360; d += 30) {
        drawRingLabel(painter, r - 19, d, QString::number(d));
    }

    // Magnetic north arrow.
    QPainterPath arrow;
    arrow.moveTo(polar(r - 8, 0));
    arrow.lineTo(polar(r - 26, -5));
    arrow.lineTo(QPointF(0, -(r - 22)));
    arrow.lineTo(polar(r - 26, 5));
    arrow.closeSubpath();
    painter.setPen(QPen(ChartPalette::kMagenta, 1.0));
    painter.setBrush(ChartPalette::kMagenta);
    painter.drawPath(arrow);
    painter.setBrush(Qt::NoBrush);

    // Cross hairs of the inner rose.
    const double inner = r - 26;
    painter.setPen(QPen(ChartPalette::kMagenta, 0.8));
    painter.drawLine(QPointF(0, -inner), QPointF(0, inner));
    painter.drawLine(QPointF(-inner, 0), QPointF(inner, 0));
    painter.restore();
}

void CompassRose::drawCentre(QPainter& painter) const {
    const double r = radius_ * 0.64 - 26;
    const double minutes = std::abs(variationDeg_) * 60.0;
    const QString variation = QStringLiteral("%1°%2'%3 2024 (8'E)")
                                  .arg(int(minutes) / 60)
                                  .arg(int(minutes) % 60, 2, 10, QLatin1Char('0'))
                                  .arg(variationDeg_ < 0 ? 'W' : 'E');
    painter.setFont(ChartFonts::sans(11));
    painter.setPen(ChartPalette::kMagenta);
    const QRectF band(-r * 0.95, r * 0.18, r * 1.9, 16);
    painter.drawText(band, Qt::AlignCenter, variation);
}
