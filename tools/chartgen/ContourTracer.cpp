#include "ContourTracer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "HeightField.h"

namespace {

// Drops points that lie within `tolerance` of the chord between their neighbours. Marching
// squares emits a point every grid step; most of them add nothing but stroking time.
QPolygonF simplified(const QPolygonF& line, double tolerance) {
    if (line.size() < 3) return line;
    QPolygonF out;
    out.reserve(line.size() / 2);
    out << line.first();
    int anchor = 0;
    for (int i = 2; i < line.size(); ++i) {
        const QPointF a = line[anchor];
        const QPointF d = line[i] - a;
        const double len2 = d.x() * d.x() + d.y() * d.y();
        bool keep = false;
        for (int j = anchor + 1; j < i && !keep; ++j) {
            const QPointF p = line[j] - a;
            const double cross = p.x() * d.y() - p.y() * d.x();
            keep = cross * cross > tolerance * tolerance * len2;
        }
        if (keep || i - anchor > 24) {
            anchor = i - 1;
            out << line[anchor];
        }
    }
    out << line.last();
    return out;
}

}  // namespace

std::vector<QPolygonF> ContourTracer::trace(float level) const {
    const int cols = field_.cols();
    const int rows = field_.rows();
    // Every grid edge has an id: horizontal edges first, then vertical ones. A crossing on an
    // edge links to at most two others, one through each cell on either side of it.
    const int horizontalCount = (cols - 1) * rows;
    auto hEdge = [&](int c, int r) { return r * (cols - 1) + c; };
    auto vEdge = [&](int c, int r) { return horizontalCount + r * cols + c; };

    // Only a thin ribbon of cells is crossed by any one level, so links are collected sparsely
    // and sorted rather than kept in a table covering the whole grid.
    std::vector<std::pair<int, int>> links;
    auto link = [&](int a, int b) {
        links.emplace_back(a, b);
        links.emplace_back(b, a);
    };

    std::vector<std::uint8_t> above(std::size_t(cols) * 2);
    auto fillAbove = [&](int r, std::uint8_t* out) {
        for (int c = 0; c < cols; ++c) out[c] = field_.at(c, r) > level;
    };
    fillAbove(0, above.data());
    for (int r = 0; r + 1 < rows; ++r) {
        std::uint8_t* topRow = above.data() + std::size_t(r % 2) * cols;
        std::uint8_t* bottomRow = above.data() + std::size_t((r + 1) % 2) * cols;
        fillAbove(r + 1, bottomRow);
        for (int c = 0; c + 1 < cols; ++c) {
            const bool aTl = topRow[c];
            const bool aTr = topRow[c + 1];
            const bool aBr = bottomRow[c + 1];
            const bool aBl = bottomRow[c];
            if (aTl == aTr && aTl == aBr && aTl == aBl) continue;
            const int top = aTl != aTr ? hEdge(c, r) : -1;
            const int bottom = aBl != aBr ? hEdge(c, r + 1) : -1;
            const int left = aTl != aBl ? vEdge(c, r) : -1;
            const int right = aTr != aBr ? vEdge(c + 1, r) : -1;
            const int crossings = (top >= 0) + (bottom >= 0) + (left >= 0) + (right >= 0);
            if (crossings == 2) {
                std::array<int, 2> pair{};
                int n = 0;
                for (int e : {top, right, bottom, left}) {
                    if (e >= 0) pair[n++] = e;
                }
                link(pair[0], pair[1]);
            } else {
                // Saddle: the cell centre decides which diagonal stays connected.
                const float centre = (field_.at(c, r) + field_.at(c + 1, r) +
                                      field_.at(c + 1, r + 1) + field_.at(c, r + 1)) *
                                     0.25f;
                if ((centre > level) == aTl) {
                    link(top, right);
                    link(bottom, left);
                } else {
                    link(top, left);
                    link(bottom, right);
                }
            }
        }
    }
    std::sort(links.begin(), links.end());

    // Neighbours of an edge: its entries in the sorted list (one or two).
    auto neighbours = [&](int edge) {
        const auto it = std::lower_bound(links.begin(), links.end(), std::make_pair(edge, -1));
        std::array<int, 2> result{-1, -1};
        if (it != links.end() && it->first == edge) {
            result[0] = it->second;
            if (it + 1 != links.end() && (it + 1)->first == edge) result[1] = (it + 1)->second;
        }
        return result;
    };

    const float step = field_.step();
    auto point = [&](int edge) {
        int c0, r0, c1, r1;
        if (edge < horizontalCount) {
            r0 = r1 = edge / (cols - 1);
            c0 = edge % (cols - 1);
            c1 = c0 + 1;
        } else {
            const int e = edge - horizontalCount;
            r0 = e / cols;
            c0 = c1 = e % cols;
            r1 = r0 + 1;
        }
        const float a = field_.at(c0, r0);
        const float b = field_.at(c1, r1);
        const float t = (level - a) / (b - a);
        return QPointF((float(c0) + float(c1 - c0) * t) * step,
                       (float(r0) + float(r1 - r0) * t) * step);
    };

    // Distinct edges in order, with a visited flag each.
    std::vector<int> edges;
    edges.reserve(links.size() / 2 + 1);
    for (const auto& l : links) {
        if (edges.empty() || edges.back() != l.first) edges.push_back(l.first);
    }
    std::vector<std::uint8_t> visited(edges.size(), 0);
    auto visitedFlag = [&](int edge) -> std::uint8_t& {
        return visited[std::size_t(std::lower_bound(edges.begin(), edges.end(), edge) -
                                   edges.begin())];
    };

    std::vector<QPolygonF> lines;
    auto follow = [&](int start) {
        QPolygonF line;
        int previous = -1;
        int current = start;
        for (;;) {
            visitedFlag(current) = 1;
            line << point(current);
            const auto next = neighbours(current);
            int chosen = -1;
            for (int candidate : next) {
                if (candidate >= 0 && candidate != previous && !visitedFlag(candidate)) {
                    chosen = candidate;
                    break;
                }
            }
            if (chosen < 0) {
                if (line.size() > 2 && (next[0] == start || next[1] == start)) {
                    line << line.first();
                }
                break;
            }
            previous = current;
            current = chosen;
        }
        lines.push_back(simplified(line, 0.3));
    };

    // Open lines first, from their free ends, so none is split in the middle.
    for (std::size_t i = 0; i < edges.size(); ++i) {
        if (!visited[i] && neighbours(edges[i])[1] < 0) follow(edges[i]);
    }
    for (std::size_t i = 0; i < edges.size(); ++i) {
        if (!visited[i]) follow(edges[i]);
    }
    return lines;
}
