#pragma once

#include <QImage>
#include <QSize>

// The built-in chart picture: four photographed pages of a coastal chart laid out two by two.
class ChartSheet {
public:
    static constexpr QSize kSize{6208, 2500};

    // Format_RGBA8888, every pixel opaque.
    QImage render() const;
};
