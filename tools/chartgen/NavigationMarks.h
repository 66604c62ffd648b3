#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <vector>

#include "Rng.h"

class CoastModel;
class LabelSpace;
class QPainter;

// Aids and dangers: lights with their flares, lateral buoys, rocks, wrecks and an anchorage.
class NavigationMarks {
public:
    NavigationMarks(const CoastModel& coast, const QRectF& area, std::uint64_t seed)
        : coast_(coast), area_(area), seed_(seed) {}

    void draw(QPainter& painter, LabelSpace& space, const std::vector<QPolygonF>& coastline) const;

private:
    void drawLights(QPainter& painter, LabelSpace& space, const std::vector<QPolygonF>& coastline,
                    Rng& rng) const;
    void drawBuoys(QPainter& painter, LabelSpace& space, Rng& rng) const;
    void drawRocks(QPainter& painter, LabelSpace& space, Rng& rng) const;
    void drawWrecks(QPainter& painter, LabelSpace& space, Rng& rng) const;
    void drawAnchorage(QPainter& painter, LabelSpace& space, Rng& rng) const;

    // Puts a small italic legend beside a symbol, trying each side in turn.
    bool label(QPainter& painter, LabelSpace& space, QPointF anchor, const QString& text) const;
    QPointF randomPoint(Rng& rng, double inset) const;

    const CoastModel& coast_;
    QRectF area_;
    std::uint64_t seed_ = 0;
};
