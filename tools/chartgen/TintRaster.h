#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

class CoastModel;

// The flat colour under all line work: buff land with a little hill shading, green drying
// ground, blue bands for shallow water and bare paper for deep water and the margins.
class TintRaster {
public:
    TintRaster(const CoastModel& coast, const QRectF& chartArea)
        : coast_(coast), area_(chartArea) {}

    QImage render(QSize pageSize) const;

private:
    const CoastModel& coast_;
    QRectF area_;
};
