#pragma once

#include <QRectF>
#include <vector>

class TControl;

// Lays out aligned children inside an area: bands at the top and bottom, then
// columns at the left and right, then the client control in what is left.
// Controls keep their own thickness and nothing shrinks when room is short.
class TAligner {
public:
    static void Arrange(QRectF area, const std::vector<TControl*>& controls);
};
