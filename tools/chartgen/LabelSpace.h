#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QSize>
#include <cstdint>
#include <vector>

// A coarse occupancy map of a page, so that names, soundings and symbols do not print on top of
// each other. Each cell remembers what kinds of things cover it; a placement only avoids the
// kinds it cares about (soundings shy away from contour lines, a compass rose does not).
class LabelSpace {
public:
    static constexpr std::uint8_t kLine = 1;
    static constexpr std::uint8_t kMark = 2;
    static constexpr std::uint8_t kEdge = 4;
    static constexpr std::uint8_t kCoast = 8;
    static constexpr std::uint8_t kSolid = kMark | kEdge;
    static constexpr std::uint8_t kAny = 0xFF;

    LabelSpace(QSize pageSize, int cell);

    bool isFree(const QRectF& rect, std::uint8_t avoid) const;
    void reserve(const QRectF& rect, std::uint8_t kind);
    bool tryReserve(const QRectF& rect, std::uint8_t avoid, std::uint8_t kind = kMark);
    void reservePolyline(const QPolygonF& line, double pad, std::uint8_t kind = kLine);
    void reserveOutside(const QRectF& keep, std::uint8_t kind = kEdge);

private:
    struct CellRange {
        int c0 = 0, r0 = 0, c1 = -1, r1 = -1;
    };
    CellRange cellsOf(const QRectF& rect) const;

    int cell_ = 1;
    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::uint8_t> cells_;
};
