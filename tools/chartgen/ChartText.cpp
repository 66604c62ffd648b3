#include "ChartText.h"

#include <QFontMetricsF>
#include <QPainter>

QRectF ChartText::boxAround(const QFont& font, const QString& text, QPointF centre) {
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double height = metrics.capHeight() + metrics.descent() * 0.6;
    return QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height);
}

void ChartText::draw(QPainter& painter, const QFont& font, const QString& text, const QRectF& box,
                     const QColor& colour) {
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(colour);
    // Baseline so that capitals fill the box; descenders may hang a little below it.
    const double baseline = box.top() + metrics.capHeight();
    painter.drawText(QPointF(box.left(), baseline), text);
}
