#pragma once

#include <QRectF>
#include <QString>
#include <cstdint>

#include "PagePlan.h"

class CoastModel;
class LabelSpace;
class QPainter;

// The framed title block. It goes on land where there is room, as chart titles traditionally do,
// and otherwise wherever the page allows.
class Cartouche {
public:
    Cartouche(const PagePlan& plan, const CoastModel& coast, const QRectF& area)
        : plan_(plan), coast_(coast), area_(area) {}

    void draw(QPainter& painter, LabelSpace& space) const;

private:
    struct Line {
        QString text;
        int pixels = 14;
        bool bold = false;
        bool italic = false;
    };

    double landShare(const QRectF& box) const;

    const PagePlan& plan_;
    const CoastModel& coast_;
    QRectF area_;
};
