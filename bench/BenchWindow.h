#pragma once

#include <QImage>
#include <QRect>

class QWidget;
class TForm1;

// The program's real main window in this process, shown on the offscreen
// platform with its built-in chart painted once.
class BenchWindow {
public:
    BenchWindow();
    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    TForm1& Form() const;
    QWidget* Viewport() const;
    // Makes the chart view this size (the window's client area adds the
    // tool strip) and lets every pending paint happen.
    void SetChartViewSize(int width, int height);
    // The chart view's area in the viewport.
    QRect ChartViewRect() const;
    // The format the window paints into.
    QImage::Format BackingFormat() const;
};
