#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QRandomGenerator>
#include <QResource>
#include <QTest>
#include <atomic>

#include "SegmentedPngBuilder.h"
#include "Unit1.h"
#include "picture/PictureDecoder.h"
#include "picture/segmented/SegmentedPngDecoder.h"
#include "framework/stock/TBitmapItem.h"

using Fault = SegmentedPngBuilder::Fault;
Q_DECLARE_METATYPE(SegmentedPngBuilder::Fault)

namespace {

// Grain over gradients, so that every filter has work to do; alpha from
// opaque to clear when asked for.
QImage Grainy(QSize size, bool translucent) {
    QImage image(size, QImage::Format_RGBA8888);
    QRandomGenerator random(11);
    for (int y = 0; y < size.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random.bounded(40));
            row[4 * x] = uchar(x * 7 + grain);
            row[4 * x + 1] = uchar(y * 5 + grain);
            row[4 * x + 2] = uchar((x + y) * 3 - grain);
            row[4 * x + 3] = translucent ? uchar(random.bounded(256)) : 255;
        }
    }
    return image;
}

// What Qt's own reader makes of the file, in the layout a picture is kept.
QImage QtDecode(const QByteArray& png) {
    QByteArray bytes = png;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage image =
        QImageReader(&buffer).read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setColorSpace(QColorSpace());
    return image;
}

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) != 0)
            return false;
    return true;
}

QImage Decode(const QByteArray& png, int threads, bool* opaque = nullptr) {
    const std::atomic<bool> cancel{false};
    return SegmentedPngDecoder(QByteArrayView(png)).Decode(threads, cancel, opaque);
}

bool AllOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255) return false;
    return true;
}

}  // namespace

// The decoder of pictures laid out in independently inflatable segments: the
// same pixels as Qt's reader, or nothing at all.
class SegmentedPngTest : public QObject {
    Q_OBJECT

private slots:
    void sameAsQt_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("translucent");
        QTest::addColumn<int>("segmentRows");
        QTest::addColumn<int>("threads");
        QTest::addColumn<bool>("lastTranslucent");
        QTest::newRow("every filter, one thread") << QSize(37, 29) << false << 3 << 1 << false;
        QTest::newRow("every filter, two threads") << QSize(37, 29) << false << 3 << 2 << false;
        QTest::newRow("more threads than segments") << QSize(40, 9) << false << 4 << 8 << false;
        QTest::newRow("translucent, premultiplied") << QSize(37, 29) << true << 5 << 2 << false;
        QTest::newRow("rows of whole registers") << QSize(64, 20) << true << 7 << 2 << false;
        QTest::newRow("one pixel wide") << QSize(1, 17) << true << 2 << 2 << false;
        QTest::newRow("a row a segment") << QSize(23, 11) << false << 1 << 3 << false;
        QTest::newRow("one segment") << QSize(23, 11) << false << 11 << 2 << false;
        // Workers tell their own segments' opacity: one translucent pixel,
        // in the last segment, is enough.
        QTest::newRow("opaque but the last pixel") << QSize(37, 29) << false << 3 << 2 << true;
    }
    void sameAsQt() {
        QFETCH(QSize, size);
        QFETCH(bool, translucent);
        QFETCH(int, segmentRows);
        QFETCH(int, threads);
        QFETCH(bool, lastTranslucent);
        QImage picture = Grainy(size, translucent);
        if (lastTranslucent) picture.scanLine(size.height() - 1)[4 * size.width() - 1] = 254;
        const QByteArray png = SegmentedPngBuilder(picture, segmentRows).Build();
        const SegmentedPngDecoder decoder{QByteArrayView(png)};
        QVERIFY(decoder.IsSegmented());
        QCOMPARE(QSize(decoder.Width(), decoder.Height()), size);
        bool opaque = !AllOpaque(picture);
        const QImage image = Decode(png, threads, &opaque);
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        QVERIFY(SamePixels(image, QtDecode(png)));
        QCOMPARE(opaque, AllOpaque(picture));
    }

    void builtInChartSameAsQt() {
        RegisterUnit1Classes();
        QResource resource(QStringLiteral(":/tidemark/chart.png"));
        const QByteArray chart = QByteArray::fromRawData(
            reinterpret_cast<const char*>(resource.data()), qsizetype(resource.size()));
        const SegmentedPngDecoder decoder{QByteArrayView(chart)};
        QVERIFY2(decoder.IsSegmented(), "the built-in chart carries its segment index");
        const QImage image = Decode(chart, 2);
        QCOMPARE(image.size(), QSize(6208, 2500));
        QVERIFY(SamePixels(image, QtDecode(chart)));
    }

    void faultsLeaveItToTheGeneralDecoder_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("qtReadsIt");
        QTest::newRow("no index") << Fault::NoIndex << true;
        QTest::newRow("index short of rows") << Fault::IndexShort << true;
        QTest::newRow("index lists merged segments") << Fault::IndexSegmentsMerged << true;
        QTest::newRow("IDAT CRC") << Fault::WrongIdatCrc << false;
        QTest::newRow("Adler-32") << Fault::WrongAdler << false;
        QTest::newRow("segment needs the row before it") << Fault::UpAtSegmentStart << true;
        QTest::newRow("cut where not flushed") << Fault::NoFlushBetween << true;
        QTest::newRow("palette chunk") << Fault::PaletteChunk << true;
        QTest::newRow("no IEND") << Fault::NoEnd << false;
        QTest::newRow("unknown filter type") << Fault::UnknownFilter << false;
    }
    void faultsLeaveItToTheGeneralDecoder() {
        QFETCH(Fault, fault);
        QFETCH(bool, qtReadsIt);
        const QImage picture = Grainy(QSize(19, 14), false);
        const QByteArray png = SegmentedPngBuilder(picture, 3).Build(fault);
        QVERIFY(Decode(png, 2).isNull());

        // A stored picture so spoiled is whatever the general decoder makes
        // of it, exactly as it was without the segments.
        QByteArray copy = png;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        const QImage general = PictureDecoder::Decode(buffer);
        QCOMPARE(!general.isNull(), qtReadsIt);
        TBitmapItem entry;
        if (!qtReadsIt)
            QTest::ignoreMessage(QtWarningMsg,
                                 "A picture stored with the window can't be decoded.");
        entry.SetCompressed(png, picture.size());
        QCOMPARE(entry.Bitmap().Image(), general);
        if (qtReadsIt) QVERIFY(SamePixels(entry.Bitmap().Image(), QtDecode(png)));
    }

    void cancelledDecodeGivesNothing() {
        const QByteArray png = SegmentedPngBuilder(Grainy(QSize(16, 16), false), 2).Build();
        const std::atomic<bool> cancel{true};
        QVERIFY(SegmentedPngDecoder(QByteArrayView(png)).Decode(2, cancel).isNull());
    }
};

QTEST_MAIN(SegmentedPngTest)
#include "tst_segmentedpng.moc"
