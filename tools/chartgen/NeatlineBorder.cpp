#include "NeatlineBorder.h"

#include <QPainter>
#include <cmath>

#include "ChartFonts.h"
#include "ChartPalette.h"

void NeatlineBorder::draw(QPainter& painter) const {
    painter.save();
    const QRectF inner = geo_.area();
    drawLongitudeScale(painter, true);
    drawLongitudeScale(painter, false);
    drawLatitudeScale(painter, true);
    drawLatitudeScale(painter, false);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ChartPalette::kInk, 1.0));
    painter.drawRect(inner);
    const double mid = (inner.left() - outer_.left()) / 2;
    painter.drawRect(outer_.adjusted(mid, mid, -mid, -mid));
    painter.setPen(QPen(ChartPalette::kInk, 2.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(outer_);
    painter.restore();
}

void NeatlineBorder::drawLongitudeScale(QPainter& painter, bool top) const {
    const QRectF inner = geo_.area();
    const double band = inner.top() - outer_.top();
    const double barY = top ? outer_.top() : inner.bottom() + band / 2;
    const double tickBase = top ? inner.top() : inner.bottom();
    const double tickDir = top ? -1.0 : 1.0;

    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartPalette::kInk);
    for (int m = int(std::floor(geo_.westMin())); m < geo_.eastMin(); ++m) {
        if (m % 2 != 0) continue;
        const double x0 = std::max(inner.left(), geo_.xForLon(m));
        const double x1 = std::min(inner.right(), geo_.xForLon(m + 1));
        if (x1 > x0) painter.drawRect(QRectF(x0, barY, x1 - x0, band / 2));
    }

    painter.setPen(QPen(ChartPalette::kInk, 0.8));
    for (int t = int(std::ceil(geo_.westMin() * 10)); t <= geo_.eastMin() * 10; ++t) {
        const double x = geo_.xForLon(t / 10.0);
        const double len = t % 10 == 0 ? band / 2 : t % 5 == 0 ? band * 0.38 : band * 0.22;
        painter.drawLine(QPointF(x, tickBase), QPointF(x, tickBase + tickDir * len));
    }

    painter.setPen(ChartPalette::kInk);
    const QFont minuteFont = ChartFonts::serif(13);
    const QFont degreeFont = ChartFonts::serif(15, true);
    for (int m = int(std::ceil(geo_.westMin())); m <= geo_.eastMin(); ++m) {
        const double x = geo_.xForLon(m);
        const bool whole = m % 5 == 0;
        const QString text =
            whole ? GeoFrame::lonLabel(m) : QStringLiteral("%1'").arg(std::abs(m) % 60);
        painter.setFont(whole ? degreeFont : minuteFont);
        const QRectF box = top ? QRectF(x - 60, outer_.top() - 24, 120, 20)
                               : QRectF(x - 60, outer_.bottom() + 4, 120, 20);
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

void NeatlineBorder::drawLatitudeScale(QPainter& painter, bool left) const {
    const QRectF inner = geo_.area();
    const double band = inner.left() - outer_.left();
    const double barX = left ? outer_.left() : inner.right() + band / 2;
    const double tickBase = left ? inner.left() : inner.right();
    const double tickDir = left ? -1.0 : 1.0;

    painter.setPen(Qt::NoPen);
    painter.setBrush(ChartPalette::kInk);
    for (int m = int(std::floor(geo_.southMin())); m < geo_.northMin(); ++m) {
        if (m % 2 != 0) continue;
        const double y0 = std::min(inner.bottom(), geo_.yForLat(m));
        const double y1 = std::max(inner.top(), geo_.yForLat(m + 1));
        if (y0 > y1) painter.drawRect(QRectF(barX, y1, band / 2, y0 - y1));
    }

    painter.setPen(QPen(ChartPalette::kInk, 0.8));
    for (int t = int(std::ceil(geo_.southMin() * 10)); t <= geo_.northMin() * 10; ++t) {
        const double y = geo_.yForLat(t / 10.0);
        const double len = t % 10 == 0 ? band / 2 : t % 5 == 0 ? band * 0.38 : band * 0.22;
        painter.drawLine(QPointF(tickBase, y), QPointF(tickBase + tickDir * len, y));
    }

    painter.setPen(ChartPalette::kInk);
    painter.setFont(ChartFonts::serif(13));
    for (int m = int(std::ceil(geo_.southMin())); m <= geo_.northMin(); ++m) {
        const double y = geo_.yForLat(m);
        const QString text = QStringLiteral("%1'").arg(std::abs(m) % 60);
        painter.save();
        painter.translate(left ? outer_.left() - 12 : outer_.right() + 12, y);
        painter.rotate(left ? -90 : 90);
        painter.drawText(QRectF(-40, -9, 80, 18), Qt::AlignCenter, text);
        painter.restore();
    }
}
