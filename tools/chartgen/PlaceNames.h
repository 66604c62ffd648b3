#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstdint>

#include "Rng.h"

class CoastModel;
class LabelSpace;
class NameBook;
class QPainter;

// Lettering of the land and water: towns with their buildings, headlands, hills with spot
// heights, and the italic names of bays, banks and rocks.
class PlaceNames {
public:
    PlaceNames(const CoastModel& coast, const QRectF& area, std::uint64_t seed)
        : coast_(coast), area_(area), seed_(seed) {}

    void draw(QPainter& painter, LabelSpace& space, NameBook& names) const;

private:
    enum class Ground { Land, Water, Any };

    bool fits(const QRectF& box, Ground ground) const;
    bool place(QPainter& painter, LabelSpace& space, const QString& text, const QFont& font,
               const QColor& colour, QPointF centre, Ground ground) const;
    QPointF randomPoint(Rng& rng, double inset) const;

    void drawTowns(QPainter& painter, LabelSpace& space, NameBook& names, Rng& rng) const;
    void drawSpotHeights(QPainter& painter, LabelSpace& space, NameBook& names, Rng& rng) const;
    void drawHeadlands(QPainter& painter, LabelSpace& space, NameBook& names, Rng& rng) const;
    void drawWaterNames(QPainter& painter, LabelSpace& space, NameBook& names, Rng& rng) const;

    const CoastModel& coast_;
    QRectF area_;
    std::uint64_t seed_ = 0;
};
