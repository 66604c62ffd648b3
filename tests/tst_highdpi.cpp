#include <QAccessible>
#include <QGraphicsView>
#include <QImage>
#include <QTest>
#include <cmath>
#include <memory>
#include <numbers>

#include "TestWindow.h"
#include "framework/window/TFormView.h"

// The window as it is drawn at one display scale, the one QT_SCALE_FACTOR
// gives this run; the test is registered once for each scale people use.

namespace {

const QColor kBackground(0xF0, 0xF0, 0xF0);
const QColor kStripOutline(0xCC, 0xCC, 0xCC);
const QColor kMarker(0xF4, 0x2E, 0x2E);

double expectedScale() {
    bool ok = false;
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? scale : 1.0;
}

// Device pixels of a logical coordinate, as the picture's rows and columns.
int device(double logical, double scale) {
    return int(std::floor(logical * scale + 1e-6));
}

QString hex(QColor colour) {
    return colour.name(QColor::HexRgb);
}

// How dark a pixel is at its lightest channel.
int lightest(QColor colour) {
    return std::max({colour.red(), colour.green(), colour.blue()});
}

QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

}  // namespace

class HighDpiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWindow> window_;
    double scale_ = 1;

    TForm1& form() { return window_->form(); }
    // The window as drawn, one pixel for each device pixel.
    QImage shot() { return window_->viewport()->grab().toImage(); }
    QColor pixel(const QImage& image, double x, double y) {
        return image.pixelColor(device(x, scale_), device(y, scale_));
    }

private slots:
    void initTestCase() {
        window_ = std::make_unique<TestWindow>();
        scale_ = window_->viewport()->devicePixelRatioF();
    }
    void cleanupTestCase() { window_.reset(); }

    void drawnAtTheScale() {
        QCOMPARE(scale_, expectedScale());
        const QImage image = shot();
        QCOMPARE(image.size(), QSize(qRound(640 * scale_), qRound(480 * scale_)));
        // Sizes stay logical.
        QCOMPARE(form().ClientWidth(), 640);
        QCOMPARE(form().Image1->Height(), 423.0f);
    }

    // The strip's outline is one logical pixel: whole device pixels of its
    // grey at the top and the bottom, nothing half-covered in between.
    void stripOutlineOnWholePixels() {
        const QImage image = shot();
        const int x = device(300, scale_);  // the strip's empty middle
        const int last = int(std::floor(57 * scale_ + 0.5)) - 1;
        const int thickest = int(std::ceil(scale_));
        int top = 0;
        while (image.pixelColor(x, top) == kStripOutline) ++top;
        int bottom = 0;
        while (image.pixelColor(x, last - bottom) == kStripOutline) ++bottom;
        QVERIFY2(top >= 1 && top <= thickest, qPrintable(QString::number(top)));
        QVERIFY2(bottom >= 1 && bottom <= thickest, qPrintable(QString::number(bottom)));
        for (int y = top; y <= last - bottom; ++y)
            QVERIFY2(
                image.pixelColor(x, y) == kBackground,
                qPrintable(QStringLiteral("row %1: %2").arg(y).arg(hex(image.pixelColor(x, y)))));
        QCOMPARE(image.pixelColor(x, last + 1), kBackground);
    }

    // The picture's edges fall where the fitting puts them, on whole device
    // pixels of the window, with the bands beside them.
    void chartBandEdges_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("plain");
        QTest::newRow("built-in chart") << QSize(6208, 2500) << false;
        // One colour shows any row that is only partly covered.
        QTest::newRow("plain picture") << QSize(620, 250) << true;
        QTest::newRow("plain picture, tall") << QSize(250, 620) << true;
    }
    void chartBandEdges() {
        QFETCH(QSize, picture);
        QFETCH(bool, plain);
        const QColor colour(0x20, 0x50, 0xA0);
        TImage& chart = *form().Image1;
        if (plain) chart.Bitmap().SetImage(solid(picture, colour));
        // Fitted into 640 x 423 at (0, 57), snapped in the window's pixels.
        const double ratio = std::max(picture.width() / 640.0, picture.height() / 423.0);
        const double width = picture.width() / ratio, height = picture.height() / ratio;
        const int left = device((640 - width) / 2, scale_);
        const int top = device(57 + (423 - height) / 2, scale_);
        const int right = left + int(std::round(width * scale_));
        const int bottom = top + int(std::round(height * scale_));

        const QRectF fitted = chart.PictureRect(scale_).translated(0, 57);
        QCOMPARE(fitted.left() * scale_, double(left));
        QCOMPARE(fitted.top() * scale_, double(top));
        QCOMPARE(fitted.right() * scale_, double(right));
        QCOMPARE(fitted.bottom() * scale_, double(bottom));

        const QImage image = shot();
        const int middleX = (left + right) / 2, middleY = (top + bottom) / 2;
        const auto inside = [&](int x, int y) {
            const QColor found = image.pixelColor(x, y);
            return plain ? found == colour : found != kBackground;
        };
        QStringList faults;
        const auto check = [&](bool expected, int x, int y, const char* what) {
            if (!expected)
                faults << QStringLiteral("%1 at %2, %3: %4")
                              .arg(what)
                              .arg(x)
                              .arg(y)
                              .arg(hex(image.pixelColor(x, y)));
        };
        for (const int x : {left + 1, middleX, right - 2}) {
            if (top > device(57, scale_) + 2)
                check(image.pixelColor(x, top - 1) == kBackground, x, top - 1, "band above");
            check(inside(x, top), x, top, "first row");
            check(inside(x, bottom - 1), x, bottom - 1, "last row");
            if (bottom < image.height())
                check(image.pixelColor(x, bottom) == kBackground, x, bottom, "band below");
        }
        for (const int y : {top + 1, middleY, bottom - 2}) {
            if (left > 0)
                check(image.pixelColor(left - 1, y) == kBackground, left - 1, y, "band left");
            check(inside(left, y), left, y, "first column");
            check(inside(right - 1, y), right - 1, y, "last column");
            if (right < image.width())
                check(image.pixelColor(right, y) == kBackground, right, y, "band right");
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    // The marker is red at its centre, outlined on every side, and draws
    // nothing outside its box.
    void markerCrisp() {
        TEllipse& ship = *form().Ellipse1;
        ship.Position.SetPoint(136, 240);
        ship.SetVisible(false);
        const QImage without = shot();
        ship.SetVisible(true);
        const QImage with = shot();
        QCOMPARE(pixel(with, 140.5, 251), kMarker);
        for (const QPointF edge : {QPointF(136.5, 251), QPointF(144.5, 251), QPointF(140.5, 240.5),
                                   QPointF(140.5, 261.5)})
            QVERIFY2(lightest(pixel(with, edge.x(), edge.y())) < 0x50,
                     qPrintable(QStringLiteral("%1, %2: %3")
                                    .arg(edge.x())
                                    .arg(edge.y())
                                    .arg(hex(pixel(with, edge.x(), edge.y())))));
        // Its box, with the pixels that its edges touch.
        const QRect box(QPoint(device(136, scale_) - 1, device(240, scale_) - 1),
                        QPoint(device(145, scale_) + 1, device(262, scale_) + 1));
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (!box.contains(x, y) && with.pixel(x, y) != without.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("drawn outside at %1, %2").arg(x).arg(y)));
    }

    // A click at a logical point puts the marker's centre on that point,
    // whatever the scale.
    void clickPlacesTheMarkerInLogicalPixels_data() {
        QTest::addColumn<QPoint>("at");
        QTest::newRow("chart") << QPoint(300, 200);
        QTest::newRow("odd point") << QPoint(451, 333);
        QTest::newRow("near the strip") << QPoint(17, 61);
    }
    void clickPlacesTheMarkerInLogicalPixels() {
        QFETCH(QPoint, at);
        window_->click(at);
        TEllipse& ship = *form().Ellipse1;
        QCOMPARE(ship.Position.Point(), QPointF(at) - QPointF(4.5, 11));
        QCOMPARE(pixel(shot(), at.x() + 0.5, at.y() + 0.5), kMarker);
        const QRect onScreen(window_->viewport()->mapToGlobal(at - QPoint(5, 11)), QSize(10, 22));
        QCOMPARE(QAccessible::queryAccessibleInterface(&ship)->rect(), onScreen);
    }

    // The dot sits where the value says: 24 from the centre of the dial,
    // which is drawn stood on end.
    void dialDot_data() {
        QTest::addColumn<float>("value");
        QTest::newRow("0, up") << 0.0f;
        QTest::newRow("90, left") << 90.0f;
        QTest::newRow("-45, up and right") << -45.0f;
        QTest::newRow("180, down") << 180.0f;
        QTest::newRow("-100") << -100.0f;
    }
    void dialDot() {
        QFETCH(float, value);
        TArcDial& dial = *form().ArcDial1;
        dial.SetValue(value);
        const double radians = value * std::numbers::pi / 180;
        const QPointF centre =
            dial.mapToScene(QPointF(32 + 24 * std::cos(radians), 28.5 - 24 * std::sin(radians)));
        const QImage image = shot();
        QCOMPARE(pixel(image, centre.x(), centre.y()), QColor(Qt::black));
        // The middle of the dark pixels around it.
        double sumX = 0, sumY = 0, count = 0;
        for (int y = device(centre.y() - 4, scale_); y <= device(centre.y() + 4, scale_); ++y)
            for (int x = device(centre.x() - 4, scale_); x <= device(centre.x() + 4, scale_); ++x)
                if (lightest(image.pixelColor(x, y)) < 0x60) {
                    sumX += x + 0.5;
                    sumY += y + 0.5;
                    ++count;
                }
        QVERIFY(count > 0);
        QVERIFY2(std::abs(sumX / count - centre.x() * scale_) < 0.5 &&
                     std::abs(sumY / count - centre.y() * scale_) < 0.5,
                 qPrintable(QStringLiteral("dot at %1, %2 for %3, %4")
                                .arg(sumX / count)
                                .arg(sumY / count)
                                .arg(centre.x() * scale_)
                                .arg(centre.y() * scale_)));
        dial.SetValue(0);
    }

    // The switch's track and knob edges are on whole device pixels: across
    // its middle there are only its own colours and the strip's.
    void switchCrisp_data() {
        QTest::addColumn<bool>("on");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void switchCrisp() {
        QFETCH(bool, on);
        TSwitch& sw = *form().Switch1;
        sw.SetIsChecked(on);
        const QImage image = shot();
        sw.SetIsChecked(false);
        const QList<QColor> allowed{kBackground, QColor(0x33, 0x33, 0x33), QColor(0x17, 0x17, 0x17),
                                    QColor(0x00, 0x72, 0xD5), QColor(Qt::white)};
        const int row = device(28.5, scale_), column = device(601, scale_);
        for (int x = int(std::ceil(562 * scale_)); x < image.width(); ++x)
            QVERIFY2(
                allowed.contains(image.pixelColor(x, row)),
                qPrintable(QStringLiteral("x %1: %2").arg(x).arg(hex(image.pixelColor(x, row)))));
        for (int y = 0; y < int(57 * scale_); ++y)
            QVERIFY2(allowed.contains(image.pixelColor(column, y)),
                     qPrintable(
                         QStringLiteral("y %1: %2").arg(y).arg(hex(image.pixelColor(column, y)))));
        // The outline or the fill reaches the box's right end.
        QCOMPARE(image.pixelColor(image.width() - 1, row),
                 on ? QColor(0x00, 0x72, 0xD5) : QColor(0x33, 0x33, 0x33));
    }

    void accessibleRectsStayLogical() {
        const QPoint origin = window_->viewport()->mapToGlobal(QPoint(0, 0));
        QCOMPARE(QAccessible::queryAccessibleInterface(form().Button1)->rect(),
                 QRect(origin, QSize(105, 57)));
        QCOMPARE(QAccessible::queryAccessibleInterface(form().Switch1)->rect(),
                 QRect(origin + QPoint(562, 0), QSize(78, 57)));
        QCOMPARE(QAccessible::queryAccessibleInterface(form().View())->rect().size(),
                 QSize(640, 480));
    }
};

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
