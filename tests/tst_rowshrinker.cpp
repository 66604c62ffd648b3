#include <QRandomGenerator>
#include <QTest>

#include "picture/rows/RowShrinker.h"

namespace {

// Grain over gradients in every channel, alpha too when asked: no two
// neighbours alike, so any misplaced weight shows.
QImage Grainy(QSize size, bool translucent, quint32 seed) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random.bounded(48));
            const int alpha = translucent ? int(random.bounded(256)) : 255;
            row[x] = qPremultiply(qRgba((x * 3 + grain) & 0xFF, (y * 5 + grain) & 0xFF,
                                        (x + y + grain) & 0xFF, alpha));
        }
    }
    return image;
}

QImage Shrink(const QImage& source, QSize target, RowShrinker::Alpha alpha,
              RowShrinker::Lanes lanes = RowShrinker::Lanes::Widest) {
    RowShrinker shrinker(source.size(), target, alpha, lanes);
    if (!shrinker.IsValid()) return {};
    for (int y = 0; y < source.height(); ++y) {
        std::copy_n(reinterpret_cast<const QRgb*>(source.constScanLine(y)), source.width(),
                    shrinker.Row());
        shrinker.Commit();
    }
    return shrinker.Take();
}

// The largest difference of any channel of any pixel, and the mean.
std::pair<int, double> Difference(const QImage& a, const QImage& b) {
    int largest = 0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = qAbs(int((p[x] >> shift) & 0xFF) - int((q[x] >> shift) & 0xFF));
                largest = std::max(largest, d);
                sum += d;
            }
    }
    return {largest, sum / (4.0 * a.width() * a.height())};
}

// The area average by its definition, pixel by pixel in exact integers:
// every destination pixel the mean of the source area it covers, partial
// pixels weighted by the part covered, rounded to the nearest level.
QImage ExactAverage(const QImage& source, QSize target) {
    QImage out(target, QImage::Format_ARGB32_Premultiplied);
    const qint64 fromW = source.width(), fromH = source.height();
    const qint64 toW = target.width(), toH = target.height();
    // How much of source index i falls in destination cell d: the cell
    // covers [d * from, (d + 1) * from), the source pixel [i * to, (i + 1) * to).
    auto overlap = [](qint64 d, qint64 i, qint64 from, qint64 to) {
        return std::max<qint64>(
            0, std::min((d + 1) * from, (i + 1) * to) - std::max(d * from, i * to));
    };
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            qint64 sums[4] = {};
            for (qint64 sy = y * fromH / toH;
                 sy < std::min(fromH, ((y + 1) * fromH + toH - 1) / toH); ++sy) {
                const qint64 wy = overlap(y, sy, fromH, toH);
                const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(int(sy)));
                for (qint64 sx = x * fromW / toW;
                     sx < std::min(fromW, ((x + 1) * fromW + toW - 1) / toW); ++sx) {
                    const qint64 w = wy * overlap(x, sx, fromW, toW);
                    for (int c = 0; c < 4; ++c) sums[c] += w * ((row[sx] >> (8 * c)) & 0xFF);
                }
            }
            const qint64 whole = fromW * fromH;
            QRgb pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= QRgb((2 * sums[c] + whole) / (2 * whole)) << (8 * c);
            reinterpret_cast<QRgb*>(out.scanLine(y))[x] = pixel;
        }
    return out;
}

}  // namespace

// RowShrinker: pictures built row by row agree with smooth scaling of the
// whole picture, which the image readers' path uses.
class RowShrinkerTest : public QObject {
    Q_OBJECT

private slots:
    // Every reduction, from a little to one too long for the paired sums,
    // in the widest lanes and in those every processor has, against the
    // average by its definition: the same to the level.
    void exactAreaAverage_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<RowShrinker::Lanes>("lanes");
        const struct {
            const char* name;
            QSize source, target;
        } reductions[] = {
            {"a fifth over", {122, 61}, {100, 50}},
            {"almost twice", {199, 97}, {100, 50}},
            {"two and a half", {250, 125}, {100, 50}},
            {"nearly five, as 40000 to 8192", {977, 250}, {200, 51}},
            {"twelve and a bit", {1234, 40}, {100, 3}},
            {"longer than the paired sums take", {2000, 30}, {97, 2}},
            {"one column", {300, 7}, {1, 1}},
            // 32 rows of this width fill the 32-bit sums of whole rows.
            {"more whole rows than 32 bits hold", {262144, 40}, {8, 1}},
        };
        for (const auto& r : reductions) {
            QTest::addRow("%s, widest", r.name)
                << r.source << r.target << RowShrinker::Lanes::Widest;
            QTest::addRow("%s, baseline", r.name)
                << r.source << r.target << RowShrinker::Lanes::Baseline;
        }
    }
    void exactAreaAverage() {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(RowShrinker::Lanes, lanes);
        const QImage picture = Grainy(source, true, 17);
        const QImage shrunk = Shrink(picture, target, RowShrinker::Alpha::Premultiplied, lanes);
        const QImage exact = ExactAverage(picture, target);
        const auto [largest, mean] = Difference(shrunk, exact);
        QVERIFY2(largest == 0,
                 qPrintable(QStringLiteral("largest %1, mean %2").arg(largest).arg(mean)));
    }

    // A picture taken in two parts, the rows of each interleaved as two
    // threads would give them, at cuts on and between destination rows: the
    // same as taken whole, and parts that don't meet are not joined.
    void twoPartsAsOne_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("cut");
        const QSize source(122, 61), target(100, 50);
        QTest::newRow("a cut inside a destination row") << source << target << 30;
        QTest::newRow("a cut on a destination row's edge") << QSize(122, 60) << target << 6;
        QTest::newRow("the first row above") << source << target << 1;
        QTest::newRow("the last row below") << source << target << 60;
        QTest::newRow("all below") << source << target << 0;
        QTest::newRow("shrunk a lot") << source << QSize(7, 5) << 37;
        QTest::newRow("the same size") << source << source << 20;
    }
    void twoPartsAsOne() {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(int, cut);
        const QImage picture = Grainy(source, true, 5);
        const auto row = [&picture](int y) {
            return reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        };
        RowShrinker upper(picture.size(), target, RowShrinker::Alpha::Premultiplied);
        RowShrinker lower = upper.Below();
        lower.StartAt(cut);
        for (int y = 0; y < picture.height() - cut || y < cut; ++y) {
            if (cut + y < picture.height()) {
                std::copy_n(row(cut + y), picture.width(), lower.Row());
                lower.Commit();
            }
            if (y < cut) {
                std::copy_n(row(y), picture.width(), upper.Row());
                upper.Commit();
            }
        }
        QVERIFY(lower.IsComplete());
        RowShrinker stranger(picture.size(), target, RowShrinker::Alpha::Premultiplied);
        QVERIFY(!stranger.Join(lower));
        QVERIFY(upper.Join(lower));
        QCOMPARE(upper.Take(), Shrink(picture, target, RowShrinker::Alpha::Premultiplied));
    }

    void agreesWithSmoothScaling_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<bool>("translucent");
        QTest::newRow("a little, as 10000 to 8192") << QSize(1000, 500) << QSize(819, 409) << false;
        QTest::newRow("odd sizes, translucent") << QSize(997, 601) << QSize(800, 482) << true;
        QTest::newRow("a third") << QSize(300, 300) << QSize(100, 100) << false;
        QTest::newRow("nearly five times, as 40000 to 8192")
            << QSize(4000, 2500) << QSize(819, 512) << true;
        QTest::newRow("wide, one row less") << QSize(4000, 3) << QSize(819, 2) << false;
        QTest::newRow("a line") << QSize(2000, 1) << QSize(819, 1) << false;
    }
    void agreesWithSmoothScaling() {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(bool, translucent);
        const QImage picture = Grainy(source, translucent, 11);
        const QImage shrunk = Shrink(picture, target, RowShrinker::Alpha::Premultiplied);
        QCOMPARE(shrunk.size(), target);
        QCOMPARE(shrunk.format(), QImage::Format_ARGB32_Premultiplied);
        const QImage scaled =
            picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const auto [largest, mean] = Difference(shrunk, scaled);
        // Both average areas; they differ in rounding only.
        QVERIFY2(largest <= 2 && mean < 0.6,
                 qPrintable(QStringLiteral("largest %1, mean %2").arg(largest).arg(mean)));
    }

    void everySourcePixelCounts() {
        // One white pixel in black: a reduction by 7 must keep 1/49 of it
        // wherever it falls, not skip it between samples.
        for (int at = 0; at < 7; ++at) {
            QImage picture(70, 70, QImage::Format_ARGB32_Premultiplied);
            picture.fill(qRgb(0, 0, 0));
            picture.setPixel(at + 21, at + 14, qRgb(255, 255, 255));
            const QImage shrunk = Shrink(picture, QSize(10, 10), RowShrinker::Alpha::Opaque);
            QCOMPARE(qRed(shrunk.pixel(3, 2)), 5);  // 255 / 49, rounded
        }
    }

    void sameSizeKeepsEveryPixel_data() {
        QTest::addColumn<int>("alpha");
        QTest::newRow("premultiplied") << int(RowShrinker::Alpha::Premultiplied);
        QTest::newRow("straight") << int(RowShrinker::Alpha::Straight);
    }
    void sameSizeKeepsEveryPixel() {
        QFETCH(int, alpha);
        const QImage expected = Grainy(QSize(33, 17), true, 5);
        QImage rows = expected;
        if (RowShrinker::Alpha(alpha) == RowShrinker::Alpha::Straight) {
            // Straight rows of the same pixels, handed over as they are.
            rows = expected.convertToFormat(QImage::Format_ARGB32);
            rows.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
        }
        QCOMPARE(Shrink(rows, expected.size(), RowShrinker::Alpha(alpha)), expected);
    }

    void straightAlphaIsPremultipliedBeforeAveraging() {
        // Transparent green beside opaque red: averaging straight colours
        // would tint the red.
        QImage picture(4, 1, QImage::Format_ARGB32_Premultiplied);
        const QRgb row[] = {qRgba(255, 0, 0, 255), qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 0),
                            qRgba(0, 255, 0, 0)};
        std::copy_n(row, 4, reinterpret_cast<QRgb*>(picture.scanLine(0)));
        const QImage shrunk = Shrink(picture, QSize(2, 1), RowShrinker::Alpha::Straight);
        QCOMPARE(shrunk.pixel(0, 0), qRgba(255, 0, 0, 255));
        QCOMPARE(reinterpret_cast<const QRgb*>(shrunk.constScanLine(0))[1], qRgba(0, 0, 0, 0));
    }

    void refusesWhatItCantDo_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::newRow("enlarging") << QSize(10, 10) << QSize(11, 10);
        QTest::newRow("empty target") << QSize(10, 10) << QSize(0, 10);
        QTest::newRow("empty source") << QSize(0, 0) << QSize(1, 1);
    }
    void refusesWhatItCantDo() {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        RowShrinker shrinker(source, target, RowShrinker::Alpha::Opaque);
        QVERIFY(!shrinker.IsValid());
        QVERIFY(!shrinker.Row());
        QVERIFY(shrinker.Take().isNull());
    }

    void unfinishedGivesNothing() {
        RowShrinker shrinker(QSize(20, 20), QSize(10, 10), RowShrinker::Alpha::Opaque);
        for (int y = 0; y < 19; ++y) {
            std::fill_n(shrinker.Row(), 20, qRgb(1, 2, 3));
            shrinker.Commit();
        }
        QVERIFY(!shrinker.IsComplete());
        QVERIFY(shrinker.Take().isNull());
    }
};

QTEST_MAIN(RowShrinkerTest)
#include "tst_rowshrinker.moc"
