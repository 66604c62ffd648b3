#pragma once

#include <QPolygonF>
#include <vector>

class CoastModel;
class LabelSpace;
class QPainter;

// Coastline, drying line, depth contours and land contours of one page.
class ContourLayer {
public:
    explicit ContourLayer(const CoastModel& coast);

    void draw(QPainter& painter, LabelSpace& space) const;
    const std::vector<QPolygonF>& coastline() const { return coastline_; }

private:
    struct Contour {
        std::vector<QPolygonF> lines;
        int style = 0;
    };

    std::vector<QPolygonF> coastline_;
    std::vector<QPolygonF> datum_;
    std::vector<Contour> depths_;
    std::vector<std::vector<QPolygonF>> heights_;
};
