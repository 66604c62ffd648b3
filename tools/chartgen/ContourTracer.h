#pragma once

#include <QPolygonF>
#include <vector>

class HeightField;

// Marching squares over a HeightField, with the segments chained into polylines so that dashes
// run on continuously and joins are clean.
class ContourTracer {
public:
    explicit ContourTracer(const HeightField& field) : field_(field) {}

    // Open lines end on the grid border; closed ones repeat their first point at the end.
    std::vector<QPolygonF> trace(float level) const;

private:
    const HeightField& field_;
};
