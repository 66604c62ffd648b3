// Loading and painting figures for the chart picture; not a test.
//
//   bench_picture make DIR        writes DIR/large.png and DIR/large.jpg (10000 x 5000)
//   bench_picture load FILE       time and peak memory of TBitmap::LoadFromFile
//   bench_picture paint W H [N]   mean time of a full paint of the built-in chart
//                                 fitted into a W x H view, over N paints
//
// Run each load in a process of its own: the peak it reports is that
// process's high-water mark above what it held before loading.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QResource>
#include <cstdio>

#include "ProcessStatus.h"
#include "Unit1.h"
#include "framework/stock/TImage.h"

namespace {

// Something like a scanned chart: smooth shading with grain, so neither
// encoder gets an easy ride.
QImage ChartLike(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random.bounded(24));
            row[x] = qRgb((x / 40 + grain) & 0xFF, (y / 20 + grain) & 0xFF, (x + y) / 60 & 0xFF);
        }
    }
    return image;
}

int Make(const QString& dir) {
    const QImage image = ChartLike(QSize(10000, 5000));
    QImageWriter png(dir + "/large.png", "png");
    QImageWriter jpeg(dir + "/large.jpg", "jpeg");
    jpeg.setQuality(90);
    return png.write(image) && jpeg.write(image) ? 0 : 1;
}

int Load(const QString& file) {
    const qint64 before = ProcessStatus::KiB("VmHWM:");
    const qint64 rssBefore = ProcessStatus::KiB("VmRSS:");
    TBitmap bitmap;
    QElapsedTimer timer;
    timer.start();
    bitmap.LoadFromFile(file);
    const qint64 ms = timer.elapsed();
    std::printf(
        "%s: %d x %d in %lld ms, peak %lld MiB above the %lld MiB held before (high-water mark was "
        "%lld MiB)\n",
        qPrintable(file), bitmap.Width(), bitmap.Height(), ms,
        (ProcessStatus::KiB("VmHWM:") - rssBefore) / 1024, rssBefore / 1024, before / 1024);
    return 0;
}

int Paint(int width, int height, int count) {
    RegisterUnit1Classes();
    QResource chart(QStringLiteral(":/tidemark/chart.png"));
    QGraphicsScene scene;
    auto* view = new TImage(nullptr);
    view->SetSize(float(width), float(height));
    scene.addItem(view);
    scene.setSceneRect(0, 0, width, height);
    TBitmapItem& entry = view->MultiResBitmap().Add(1);
    entry.SetCompressed(QByteArray::fromRawData(reinterpret_cast<const char*>(chart.data()),
                                                qsizetype(chart.size())),
                        QSize(6208, 2500));
    QElapsedTimer timer;
    timer.start();
    entry.Bitmap();
    std::printf("built-in chart decoded in %lld ms\n", timer.elapsed());

    QImage target(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    scene.render(&painter);  // warm-up
    timer.restart();
    for (int i = 0; i < count; ++i) {
        target.fill(Qt::white);
        scene.render(&painter, QRectF(0, 0, width, height), scene.sceneRect());
    }
    std::printf("%d x %d: %.2f ms a paint (mean of %d)\n", width, height,
                double(timer.nsecsElapsed()) / 1e6 / count, count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "make") return Make(args[2]);
    if (args.size() >= 3 && args[1] == "load") return Load(args[2]);
    if (args.size() >= 4 && args[1] == "paint")
        return Paint(args[2].toInt(), args[3].toInt(), args.size() >= 5 ? args[4].toInt() : 50);
    std::fprintf(stderr, "usage: bench_picture make DIR | load FILE | paint W H [N]\n");
    return 2;
}
