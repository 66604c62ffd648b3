#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

#include "PagePlan.h"

class CoastModel;
class GeoFrame;
class LabelSpace;
class QPainter;

// One printed sheet of the chart series, flat and unphotographed: tints, line work, lettering,
// border and margin imprint.
class ChartPage {
public:
    ChartPage(const PagePlan& plan, QSize size) : plan_(plan), size_(size) {}

    // Thread-safe: every page can be drawn on its own thread.
    QImage render() const;

private:
    QRectF outerFrame() const;
    QRectF chartArea() const;

    void drawGraticule(QPainter& painter, LabelSpace& space, const GeoFrame& geo) const;
    void drawRoses(QPainter& painter, LabelSpace& space, const CoastModel& coast) const;
    void drawMargins(QPainter& painter) const;
    // Printing and the camera both blur a little; crisp vector edges would give the game away.
    static void soften(QImage& image);

    PagePlan plan_;
    QSize size_;
};
