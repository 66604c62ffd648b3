#pragma once

#include <QRectF>
#include <cstdint>

class CoastModel;
class LabelSpace;
class QPainter;

// Paragraphs of cautions and explanations printed in spare corners of the chart.
class NoteBlocks {
public:
    NoteBlocks(const QRectF& area, std::uint64_t seed) : area_(area), seed_(seed) {}

    void draw(QPainter& painter, LabelSpace& space) const;

private:
    QRectF area_;
    std::uint64_t seed_ = 0;
};
