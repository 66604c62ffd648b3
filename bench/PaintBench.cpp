#include "PaintBench.h"

#include <QCoreApplication>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchMath.h"
#include "BenchTable.h"
#include "BenchWindow.h"
#include "PaintProbe.h"
#include "Unit1.h"

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size kSizes[] = {{640, 423}, {1920, 1080}, {3840, 2160}};

double Ms(std::int64_t from, std::int64_t to) {
    return double(to - from) / 1e6;
}

qint64 Area(const QRegion& region) {
    qint64 area = 0;
    for (const QRect& r : region) area += qint64(r.width()) * r.height();
    return area;
}

// Where the view paints for the marker at one place: its bounding box, plus
// the two pixels Qt adds around a changed item for antialiasing.
QRect MarkerArea(const TForm1& form) {
    return form.Ellipse1->sceneBoundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
}

// Full repaints of the chart view against drawImage alone; the medians.
std::pair<double, double> FullRepaint(BenchWindow& window, Size size, int repaints) {
    window.SetChartViewSize(size.width, size.height);
    QWidget* viewport = window.Viewport();
    const QRect viewRect = window.ChartViewRect();
    const QImage& chart = window.Form().Image1->Bitmap().Image();
    const QRectF target = window.Form().Image1->PictureRect(1);
    QImage canvas(viewRect.size(), window.BackingFormat());
    canvas.fill(Qt::white);

    std::vector<double> view, plain;
    for (int i = 0; i <= repaints; ++i) {
        std::int64_t start = BenchMath::NowNs();
        viewport->repaint(viewRect);
        const double viewMs = Ms(start, BenchMath::NowNs());
        start = BenchMath::NowNs();
        {
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, chart);
        }
        const double plainMs = Ms(start, BenchMath::NowNs());
        if (i == 0) continue;  // the first of each warms the caches
        view.push_back(viewMs);
        plain.push_back(plainMs);
    }
    return {BenchMath::Median(view), BenchMath::Median(plain)};
}

}  // namespace

namespace PaintBench {

void Run(BenchTable& table, BenchWindow& window, int repaints) {
    table.Section("Paint");
    double firstViewMs = 0;
    for (const Size size : kSizes) {
        std::fprintf(stderr, "paint, %d x %d\n", size.width, size.height);
        const auto [viewMs, plainMs] = FullRepaint(window, size, repaints);
        if (firstViewMs == 0) firstViewMs = viewMs;
        const QRectF target = window.Form().Image1->PictureRect(1);
        char figure[96], note[96];
        std::snprintf(figure, sizeof figure, "full repaint of the chart view, %d x %d", size.width,
                      size.height);
        std::snprintf(note, sizeof note, "%d repaints; picture drawn at %.0f x %.0f", repaints,
                      target.width(), target.height());
        table.Add({figure, viewMs, "ms", "plain drawImage, same picture and rectangle", plainMs,
                   "<= 1.2 x", viewMs <= 1.2 * plainMs, note});
    }

    // The marker's steps, at the first size, with the switch off so that
    // only the steps made here move it.
    std::fprintf(stderr, "paint, marker steps\n");
    window.SetChartViewSize(kSizes[0].width, kSizes[0].height);
    TForm1& form = window.Form();
    QRegion painted;
    std::int64_t paintEnd = 0;
    PaintProbe probe([&window] { return window.Viewport(); });
    probe.OnPainted = [&](const QRegion& region, std::int64_t end) {
        painted += region;
        paintEnd = end;
    };
    probe.Install();
    std::vector<double> stepMs;
    qint64 largestArea = 0, largestBound = 0;
    bool inside = true;
    for (int i = 0; i < repaints; ++i) {
        painted = QRegion();
        paintEnd = 0;
        // North and south by turns, so that the marker stays on the chart
        // however many steps are measured.
        u = i % 2 == 0 ? 0 : 180;
        const QRect before = MarkerArea(form);
        const std::int64_t start = BenchMath::NowNs();
        form.Timer1Timer(form.Timer1);
        for (int spin = 0; spin < 1000 && paintEnd == 0; ++spin)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const QRegion bound = QRegion(before) | QRegion(MarkerArea(form));
        stepMs.push_back(Ms(start, paintEnd));
        largestArea = std::max(largestArea, Area(painted));
        largestBound = std::max(largestBound, Area(bound));
        inside = inside && paintEnd != 0 && (painted - bound).isEmpty();
    }
    probe.Uninstall();
    char note[128];
    std::snprintf(note, sizeof note, "%d steps; painted at most %lld px, old + new areas %lld px",
                  repaints, largestArea, largestBound);
    table.Add({"repaint after one marker step", BenchMath::Median(stepMs), "ms",
               "full repaint, 640 x 423", firstViewMs, "only the old and new areas", inside, note});
}

}  // namespace PaintBench
