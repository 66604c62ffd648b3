#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

// Single-line labels measured by their visible ink rather than the font's full line height, so
// tightly packed chart lettering can sit close together without touching.
class ChartText {
public:
    static QRectF boxAround(const QFont& font, const QString& text, QPointF centre);
    static void draw(QPainter& painter, const QFont& font, const QString& text, const QRectF& box,
                     const QColor& colour);
};
