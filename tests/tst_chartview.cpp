#include <QBuffer>
#include <QColorSpace>
#include <QGraphicsScene>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "SegmentedPngBuilder.h"
#include "TestWindow.h"
#include "framework/stock/Fitting.h"
#include "framework/stock/TImage.h"
#include "framework/stock/TPanel.h"

namespace {

const QColor kLeft(255, 0, 0);
const QColor kRight(0, 0, 255);
const QColor kBehind(Qt::white);

// Left half red, right half blue: where each half lands shows the picture
// is whole and the right way round.
QImage halves(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kRight);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), kLeft);
    return image;
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// What Qt's reader makes of a file, as a picture is kept.
QImage qtDecoded(QByteArray png) {
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    QImage image =
        QImageReader(&buffer).read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setColorSpace(QColorSpace());
    return image;
}

// Where the window paints for the marker at its place: its bounding box and
// the two pixels the view adds around a changed item for antialiasing.
QRect markerArea(const TForm1& form) {
    return form.Ellipse1->sceneBoundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
}

// Collects what a widget paints.
struct PaintedRegion : QObject {
    explicit PaintedRegion(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion region;
};

// Counts its paints. What it can paint is its rectangle or, when given,
// a part of it: a turned dial's disc, say.
class PaintCounter : public TControl {
public:
    using TControl::TControl;
    int paints = 0;
    QRectF reach;

protected:
    void Paint(QPainter&) override { ++paints; }
    QRectF PaintedRect() const override { return reach.isNull() ? LocalRect() : reach; }
};

// A chart view alone in a scene, rendered the way the window renders it.
struct Stage {
    QGraphicsScene scene;
    TImage* image = new TImage(nullptr);

    explicit Stage(QSizeF size) {
        image->SetSize(float(size.width()), float(size.height()));
        scene.addItem(image);
        scene.setSceneRect(0, 0, size.width(), size.height());
    }
    QImage render(double scale) {
        const QSizeF size = scene.sceneRect().size();
        QImage shot((size * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
        shot.setDevicePixelRatio(scale);
        shot.fill(kBehind);
        QPainter painter(&shot);
        scene.render(&painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
        return shot;
    }
};

}  // namespace

// The chart view: where the picture goes, how it is drawn, and its store.
class ChartViewTest : public QObject {
    Q_OBJECT

private slots:
    void fitting_data() {
        QTest::addColumn<QSizeF>("source");
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRectF>("target");
        QTest::newRow("built-in chart, first view")
            << QSizeF(6208, 2500) << QSizeF(640, 423) << 1.0 << QRectF(0, 82, 640, 258);
        QTest::newRow("small picture enlarged")
            << QSizeF(100, 50) << QSizeF(640, 423) << 1.0 << QRectF(0, 51, 640, 320);
        QTest::newRow("view's own aspect fills it")
            << QSizeF(1280, 800) << QSizeF(640, 400) << 1.0 << QRectF(0, 0, 640, 400);
        QTest::newRow("view's own aspect, enlarged")
            << QSizeF(64, 40) << QSizeF(640, 400) << 1.0 << QRectF(0, 0, 640, 400);
        QTest::newRow("tall, centred across")
            << QSizeF(100, 400) << QSizeF(640, 423) << 1.0 << QRectF(267, 0, 106, 423);
        QTest::newRow("zero-height view")
            << QSizeF(6208, 2500) << QSizeF(640, 0) << 1.0 << QRectF();
        QTest::newRow("zero-width view") << QSizeF(6208, 2500) << QSizeF(0, 423) << 1.0 << QRectF();
        QTest::newRow("empty picture") << QSizeF(0, 0) << QSizeF(640, 423) << 1.0 << QRectF();
        QTest::newRow("scale 2: half pixels")
            << QSizeF(6208, 2500) << QSizeF(640, 423) << 2.0 << QRectF(0, 82.5, 640, 257.5);
        // 267.125 * 1.5 = 400.69 -> 400; 105.75 * 1.5 = 158.6 -> 159; the
        // height 634.5 rounds up to 635 device pixels.
        QTest::newRow("scale 1.5") << QSizeF(100, 400) << QSizeF(640, 423) << 1.5
                                   << QRectF(400 / 1.5, 0, 159 / 1.5, 635 / 1.5);
        // 33.33 units are exactly 50 device pixels; the division mustn't
        // leave 49.99 to be cut down to 49.
        QTest::newRow("scale 1.5, edge on a device pixel")
            << QSizeF(1, 3) << QSizeF(100, 100) << 1.5 << QRectF(50 / 1.5, 0, 50 / 1.5, 100);
        QTest::newRow("no scale counts as 1")
            << QSizeF(6208, 2500) << QSizeF(640, 423) << 0.0 << QRectF(0, 82, 640, 258);
    }
    void fitting() {
        QFETCH(QSizeF, source);
        QFETCH(QSizeF, view);
        QFETCH(double, scale);
        QFETCH(QRectF, target);
        const QRectF fitted = Fitting::Target(source, view, scale);
        QCOMPARE(fitted, target);
    }

    // A view that doesn't start on a whole device pixel: the edges go on the
    // device's pixels, not on the view's own.
    void fittingFromAnOrigin_data() {
        QTest::addColumn<QSizeF>("source");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QRectF>("target");
        // The window's chart view starts 57 down: 71.25 device pixels at
        // 1.25; 71.25 + 103.29 = 174.54 -> 174, and 322.16 rows -> 322.
        QTest::newRow("built-in chart at 1.25") << QSizeF(6208, 2500) << 1.25 << QPointF(0, 71.25)
                                                << QRectF(0, (174 - 71.25) / 1.25, 640, 322 / 1.25);
        // 85.5 + 123.95 = 209.45 -> 209, and 386.6 rows -> 387.
        QTest::newRow("built-in chart at 1.5") << QSizeF(6208, 2500) << 1.5 << QPointF(0, 85.5)
                                               << QRectF(0, (209 - 85.5) / 1.5, 640, 387 / 1.5);
        QTest::newRow("origin on a whole pixel changes nothing")
            << QSizeF(6208, 2500) << 2.0 << QPointF(0, 114) << QRectF(0, 82.5, 640, 257.5);
        // 0.5 + 400.69 = 401.19 -> 401.
        QTest::newRow("across") << QSizeF(100, 400) << 1.5 << QPointF(0.5, 0)
                                << QRectF((401 - 0.5) / 1.5, 0, 159 / 1.5, 635 / 1.5);
    }
    void fittingFromAnOrigin() {
        QFETCH(QSizeF, source);
        QFETCH(double, scale);
        QFETCH(QPointF, origin);
        QFETCH(QRectF, target);
        QCOMPARE(Fitting::Target(source, QSizeF(640, 423), scale, origin), target);
    }

    void drawnIntoTheFittedRectangle_data() {
        QTest::addColumn<double>("scale");
        // Device rows: the last band row, the first and last picture rows,
        // the first band row below.
        QTest::addColumn<QList<int>>("rows");
        // 40 x 10 in 100 x 60: 100 x 25 at top 17.5.
        QTest::newRow("scale 1") << 1.0 << QList<int>{16, 17, 41, 42};
        QTest::newRow("scale 2") << 2.0 << QList<int>{34, 35, 84, 85};
    }
    void drawnIntoTheFittedRectangle() {
        QFETCH(double, scale);
        QFETCH(QList<int>, rows);
        Stage stage(QSizeF(100, 60));
        stage.image->Bitmap().SetImage(halves(QSize(40, 10)));
        const QImage shot = stage.render(scale);
        const int x = int(25 * scale), x2 = int(75 * scale);
        QCOMPARE(shot.pixelColor(x, rows[0]), kBehind);
        QCOMPARE(shot.pixelColor(x, rows[1]), kLeft);
        QCOMPARE(shot.pixelColor(x2, rows[1]), kRight);
        QCOMPARE(shot.pixelColor(x, rows[2]), kLeft);
        QCOMPARE(shot.pixelColor(x, rows[3]), kBehind);
    }

    void smoothScalingAndTheViewsOpacity() {
        Stage stage(QSizeF(100, 50));
        stage.image->Bitmap().SetImage(halves(QSize(2, 1)));
        QImage shot = stage.render(1);
        // Enlarged 50 times: linear interpolation blends across the middle.
        const QColor middle = shot.pixelColor(50, 25);
        QVERIFY2(middle.red() > 40 && middle.blue() > 40, "the halves are blended, not blocky");
        QCOMPARE(shot.pixelColor(2, 25), kLeft);

        stage.image->SetOpacity(0.5);
        shot = stage.render(1);
        const QColor faded = shot.pixelColor(2, 25);
        QVERIFY(qAbs(faded.red() - 255) <= 1);
        QVERIFY(qAbs(faded.green() - 128) <= 2);
    }

    void nothingDrawnWithoutRoomOrPixels_data() {
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<bool>("picture");
        QTest::newRow("zero height") << QSizeF(100, 0) << true;
        QTest::newRow("empty store") << QSizeF(100, 60) << false;
    }
    void nothingDrawnWithoutRoomOrPixels() {
        QFETCH(QSizeF, view);
        QFETCH(bool, picture);
        Stage stage(view);
        stage.scene.setSceneRect(0, 0, 100, 60);
        if (picture) stage.image->Bitmap().SetImage(halves(QSize(40, 10)));
        QCOMPARE(stage.image->PictureRect(1), QRectF());
        const QImage shot = stage.render(1);
        QImage blank(shot.size(), shot.format());
        blank.fill(kBehind);
        QCOMPARE(shot, blank);
        // Painting adds no entry to the store.
        QCOMPARE(stage.image->MultiResBitmap().Count(), picture ? 1 : 0);
    }

    void everyChangeOfThePictureRepaints() {
        QTemporaryDir dir;
        const QString file = dir.filePath("picture.png");
        QVERIFY(halves(QSize(8, 4)).save(file));
        Stage stage(QSizeF(100, 60));
        QSignalSpy repaints(&stage.scene, &QGraphicsScene::changed);
        TBitmap& bitmap = stage.image->Bitmap();
        const std::vector<std::pair<const char*, std::function<void()>>> changes{
            {"SetImage", [&] { bitmap.SetImage(halves(QSize(4, 4))); }},
            {"Assign",
             [&] {
                 TBitmap other(halves(QSize(6, 2)));
                 bitmap.Assign(&other);
             }},
            {"LoadFromFile", [&] { bitmap.LoadFromFile(file); }},
            {"SetCompressed",
             [&] {
                 stage.image->MultiResBitmap().Item(0).SetCompressed(pngBytes(halves({3, 3})),
                                                                     {3, 3});
             }},
        };
        for (const auto& [name, change] : changes) {
            stage.render(1);
            QCoreApplication::processEvents();
            repaints.clear();
            change();
            QVERIFY2(repaints.wait(1000), name);
        }
    }

    void storeKeepsTheCompressedPictureUntilFirstUse() {
        TMultiResBitmap store;
        const QImage picture = halves(QSize(8, 4));
        store.Add(1).SetCompressed(pngBytes(picture), QSize(8, 4));
        TBitmapItem& entry = store.Item(0);
        QVERIFY(!entry.IsDecoded());
        QVERIFY(entry.HoldsPixels());
        // Any display scale gets the one entry that holds pixels.
        QCOMPARE(&store.ItemForScale(2), &entry);
        QCOMPARE(store.ItemToShow(1.5f), &entry);
        QVERIFY(!entry.IsDecoded());
        QCOMPARE(entry.Bitmap().Image(), picture);
        QVERIFY(entry.IsDecoded());
        QCOMPARE(entry.Bitmap().Image().format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(store.Count(), 1);
        QCOMPARE(entry.Scale(), 1.0f);
    }

    void emptyStoreGivesTheEntryOfTheScale() {
        TMultiResBitmap store;
        TBitmapItem& entry = store.ItemForScale(2);
        QCOMPARE(entry.Scale(), 2.0f);
        QCOMPARE(&store.ItemForScale(2.00005f), &entry);
        QCOMPARE(store.Count(), 1);
        QCOMPARE(store.ItemToShow(2), nullptr);
        TBitmapItem& other = store.ItemForScale(1);
        QCOMPARE(store.Count(), 2);
        QCOMPARE(other.Scale(), 1.0f);
    }

    void laidOutPictureDecodedAheadButTakenAtFirstUse() {
        const QImage picture = halves(QSize(300, 200));
        QByteArray bytes = SegmentedPngBuilder(picture, 16).Build();
        TMultiResBitmap store;
        TBitmapItem& entry = store.Add(1);
        entry.SetCompressed(bytes, picture.size());
        // Whatever the workers have done meanwhile, the entry still holds
        // the compressed picture until it is used.
        QTest::qWait(100);
        QVERIFY(!entry.IsDecoded());
        QVERIFY(entry.HoldsPixels());
        QVERIFY(!bytes.isDetached());
        QCOMPARE(entry.Bitmap().Image(), qtDecoded(bytes));
        QVERIFY(entry.IsDecoded());
        QVERIFY2(bytes.isDetached(), "nothing holds the compressed bytes any more");
        QVERIFY2(entry.Bitmap().Image().isDetached(),
                 "the entry's picture is its pixels' only holder");
    }

    // The background under a picture is left out only once the picture is
    // known to be opaque; finding that out must not decode it ahead of the
    // first paint, which draws the rest of the window first. The decoder's
    // word on opacity is what the picture then says.
    void coverOfAPictureKnownOnlyOnceDecoded() {
        Stage stage(QSizeF(300, 200));
        const QByteArray bytes = SegmentedPngBuilder(halves(QSize(300, 200)), 16).Build();
        TBitmapItem& entry = stage.image->MultiResBitmap().Add(1);
        entry.SetCompressed(bytes, QSize(300, 200));
        QVERIFY(stage.image->OpaqueCover().isEmpty());
        QVERIFY(!entry.IsDecoded());
        stage.render(1);
        QVERIFY(entry.IsDecoded());
        QVERIFY(entry.Bitmap().IsOpaque());
        QCOMPARE(stage.image->OpaqueCover(), QRectF(0, 0, 300, 200));
    }

    void entryReplacedOrDroppedWhileDecoding() {
        const QByteArray first = SegmentedPngBuilder(halves(QSize(900, 600)), 20).Build();
        const QByteArray second = SegmentedPngBuilder(halves(QSize(40, 30)), 4).Build();
        {
            TMultiResBitmap dropped;
            dropped.Add(1).SetCompressed(first, QSize(900, 600));
        }
        TMultiResBitmap store;
        TBitmapItem& entry = store.Add(1);
        entry.SetCompressed(first, QSize(900, 600));
        entry.SetCompressed(second, QSize(40, 30));
        QCOMPARE(entry.Bitmap().Image(), qtDecoded(second));
    }

    void markerStepRepaintsOnlyItsOldAndNewAreas_data() {
        QTest::addColumn<double>("heading");
        QTest::newRow("up") << 0.0;
        QTest::newRow("north-east: x, then y") << 45.0;
        QTest::newRow("south-east, turned") << 120.0;
        QTest::newRow("left") << 270.0;
    }
    void markerStepRepaintsOnlyItsOldAndNewAreas() {
        QFETCH(double, heading);
        TestWindow w;
        TForm1& form = w.form();
        u = heading;
        form.Ellipse1->SetRotationAngle(float(heading));
        // The first change of the scene after the window is shown also brings
        // a repaint of the tool strip that the speed box's editor asked for
        // around the window's activation, and that Qt holds until then. It
        // isn't the step's: a first step takes it, the second is measured.
        form.Timer1Timer(form.Timer1);
        for (int tries = 0; tries < 20; ++tries) {
            PaintedRegion settling(w.viewport());
            QTest::qWait(100);
            if (settling.region.isEmpty()) break;
        }
        PaintedRegion painted(w.viewport());
        const QRect before = markerArea(form);
        form.Timer1Timer(form.Timer1);
        const QRect after = markerArea(form);
        QVERIFY(before != after);
        QTRY_VERIFY(painted.region.contains(after.center()));
        QTest::qWait(50);
        const QRegion allowed = QRegion(before) | QRegion(after);
        QVERIFY2((painted.region - allowed).isEmpty(),
                 qPrintable(QStringLiteral("painted %1 beyond the marker's old and new areas")
                                .arg(QDebug::toString(painted.region - allowed))));
        QVERIFY(painted.region.contains(before.center()));
    }

    // Qt paints every item within a pixel or two of a repainted area; a
    // repaint of the chart alone must not run the tool strip's paints.
    void chartRepaintLeavesTheToolStripUnpainted_data() {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<float>("angle");
        QTest::addColumn<QRectF>("reach");
        QTest::addColumn<bool>("painted");
        QTest::newRow("the strip's height, touching the chart")
            << QRectF(0, 0, 640, 57) << 0.0f << QRectF() << false;
        QTest::newRow("turned a quarter, its disc in the strip")
            << QRectF(398, 0, 64, 57) << 270.0f << QRectF(3.5, 0, 57, 57) << false;
        QTest::newRow("turned a quarter, painting all of its rectangle")
            << QRectF(398, 0, 64, 57) << 270.0f << QRectF() << true;
        QTest::newRow("a pixel into the chart")
            << QRectF(0, 1, 640, 57) << 0.0f << QRectF() << true;
    }
    void chartRepaintLeavesTheToolStripUnpainted() {
        QFETCH(QRectF, rect);
        QFETCH(float, angle);
        QFETCH(QRectF, reach);
        QFETCH(bool, painted);
        TestWindow w;
        TForm1& form = w.form();
        auto* counter = new PaintCounter(&form);
        counter->Position.SetPoint(float(rect.x()), float(rect.y()));
        counter->SetSize(float(rect.width()), float(rect.height()));
        counter->SetRotationAngle(angle);
        counter->reach = reach;
        form.Panel1->InsertChild(counter);
        QTest::qWait(50);

        const QRect chartArea = form.Image1->sceneBoundingRect().toAlignedRect();
        QCOMPARE(chartArea.top(), 57);
        counter->paints = 0;
        w.viewport()->repaint(chartArea);
        QCOMPARE(counter->paints > 0, painted);
        // The counter does paint with the strip.
        counter->paints = 0;
        w.viewport()->repaint(QRect(0, 0, 640, 57));
        QVERIFY(counter->paints > 0);
    }

    void windowShowsTheBuiltInChartDecodedOnce() {
        TestWindow w;
        TImage& view = *w.form().Image1;
        QTest::qWait(50);
        QCOMPARE(view.MultiResBitmap().Count(), 1);
        TBitmapItem& entry = view.MultiResBitmap().Item(0);
        QVERIFY2(entry.IsDecoded(), "the first paint decoded the chart");
        QCOMPARE(entry.RecordedSize(), QSize(6208, 2500));
        QCOMPARE(view.Bitmap().Width(), 6208);
        QCOMPARE(view.Bitmap().Height(), 2500);
        QCOMPARE(view.Bitmap().Image().format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(view.PictureRect(1), QRectF(0, 82, 640, 258));

        // One copy of the pixels, where the decoder put them, drawn at
        // every size as it is.
        const QImage& image = view.Bitmap().Image();
        const qint64 key = image.cacheKey();
        const uchar* pixels = image.constBits();
#ifdef Q_OS_LINUX
        QVERIFY2(reinterpret_cast<quintptr>(pixels) % (quintptr(2) << 20) == 0,
                 "decoded straight into its own huge-page buffer");
#endif
        for (const QSize size : {QSize(1280, 800), QSize(300, 200), QSize(640, 480)}) {
            w.form().SetClientSize(size.width(), size.height());
            w.viewport()->repaint();
            QCOMPARE(view.Bitmap().Image().cacheKey(), key);
            QCOMPARE(view.Bitmap().Image().constBits(), pixels);
            QVERIFY(view.Bitmap().Image().isDetached());
        }
    }
};

QTEST_MAIN(ChartViewTest)
#include "tst_chartview.moc"
