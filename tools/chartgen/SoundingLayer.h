#pragma once

#include <QRectF>
#include <cstdint>

class CoastModel;
class LabelSpace;
class QPainter;

// Spot depths scattered over the water, denser near the shore where they matter most. Depths
// under 21 m carry their decimetres as a small subscript figure.
class SoundingLayer {
public:
    SoundingLayer(const CoastModel& coast, const QRectF& area, std::uint64_t seed)
        : coast_(coast), area_(area), seed_(seed) {}

    void draw(QPainter& painter, LabelSpace& space) const;

private:
    const CoastModel& coast_;
    QRectF area_;
    std::uint64_t seed_ = 0;
};
