#include "LabelSpace.h"

#include <algorithm>
#include <cmath>

LabelSpace::LabelSpace(QSize pageSize, int cell)
    : cell_(cell),
      cols_((pageSize.width() + cell - 1) / cell),
      rows_((pageSize.height() + cell - 1) / cell),
      cells_(std::size_t(cols_) * std::size_t(rows_), 0) {}

LabelSpace::CellRange LabelSpace::cellsOf(const QRectF& rect) const {
    CellRange range;
    range.c0 = std::max(0, int(std::floor(rect.left() / cell_)));
    range.r0 = std::max(0, int(std::floor(rect.top() / cell_)));
    range.c1 = std::min(cols_ - 1, int(std::floor(rect.right() / cell_)));
    range.r1 = std::min(rows_ - 1, int(std::floor(rect.bottom() / cell_)));
    return range;
}

bool LabelSpace::isFree(const QRectF& rect, std::uint8_t avoid) const {
    if (rect.left() < 0 || rect.top() < 0 || rect.right() >= cols_ * cell_ ||
        rect.bottom() >= rows_ * cell_) {
        return false;
    }
    const CellRange range = cellsOf(rect);
    for (int r = range.r0; r <= range.r1; ++r) {
        for (int c = range.c0; c <= range.c1; ++c) {
            if (cells_[std::size_t(r) * std::size_t(cols_) + c] & avoid) return false;
        }
    }
    return true;
}

void LabelSpace::reserve(const QRectF& rect, std::uint8_t kind) {
    const CellRange range = cellsOf(rect);
    for (int r = range.r0; r <= range.r1; ++r) {
        for (int c = range.c0; c <= range.c1; ++c) {
            cells_[std::size_t(r) * std::size_t(cols_) + c] |= kind;
        }
    }
}

bool LabelSpace::tryReserve(const QRectF& rect, std::uint8_t avoid, std::uint8_t kind) {
    if (!isFree(rect, avoid)) return false;
    reserve(rect, kind);
    return true;
}

void LabelSpace::reservePolyline(const QPolygonF& line, double pad, std::uint8_t kind) {
    for (const QPointF& p : line) {
        reserve(QRectF(p.x() - pad, p.y() - pad, 2 * pad, 2 * pad), kind);
    }
}

void LabelSpace::reserveOutside(const QRectF& keep, std::uint8_t kind) {
    const QRectF all(0, 0, cols_ * cell_, rows_ * cell_);
    reserve(QRectF(all.left(), all.top(), all.width(), keep.top() - all.top()), kind);
    reserve(QRectF(all.left(), keep.bottom(), all.width(), all.bottom() - keep.bottom()), kind);
    reserve(QRectF(all.left(), all.top(), keep.left() - all.left(), all.height()), kind);
    reserve(QRectF(keep.right(), all.top(), all.right() - keep.right(), all.height()), kind);
}
