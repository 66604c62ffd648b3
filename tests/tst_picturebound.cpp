#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "JpegFileWriter.h"
#include "PictureFiles.h"
#include "PngFileWriter.h"
#include "framework/stock/TBitmap.h"
#include "picture/inspect/PictureSize.h"

using namespace PictureFiles;

namespace {

QByteArray dataFile(const char* name) {
    QFile file(DataDir() + u'/' + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stored picture with its declared size rewritten, pixels untouched.
QByteArray redeclared(const char* name, int at, QSize size, bool bigEndian, int width) {
    QByteArray bytes = dataFile(name);
    if (bytes.size() < at + 2 * width) return {};
    char* w = bytes.data() + at;
    char* h = w + width;
    if (width == 4) {
        qToBigEndian<quint32>(quint32(size.width()), w);
        qToBigEndian<quint32>(quint32(size.height()), h);
    } else if (bigEndian) {
        qToBigEndian<quint16>(quint16(size.width()), w);
        qToBigEndian<quint16>(quint16(size.height()), h);
    } else {
        qToLittleEndian<quint16>(quint16(size.width()), w);
        qToLittleEndian<quint16>(quint16(size.height()), h);
    }
    return bytes;
}

// A small progressive JPEG whose frame header declares the size.
QByteArray progressiveJpeg(QSize size) {
    QTemporaryDir dir;
    const QString path = dir.filePath("progressive.jpg");
    JpegFileWriter writer;
    writer.Progressive = true;
    if (!writer.Write(path, QSize(16, 16), [](int, uchar* row) { std::fill_n(row, 48, 128); }))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    // The progressive frame's marker, length, precision, height, width.
    const int frame = int(bytes.indexOf("\xFF\xC2"));
    if (frame < 0) return {};
    qToBigEndian<quint16>(quint16(size.height()), bytes.data() + frame + 5);
    qToBigEndian<quint16>(quint16(size.width()), bytes.data() + frame + 7);
    return bytes;
}

}  // namespace

// The bound on a picture's declared size holds even when the environment
// (QT_IMAGEIO_MAXALLOC=0) lifts the image readers' own allocation limit.
class PictureBoundTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        // Read once by the readers, at their first use: nothing has read a
        // picture yet in this process.
        qputenv("QT_IMAGEIO_MAXALLOC", "0");
        QCOMPARE(QImageReader::allocationLimit(), 0);
    }

    void declaredTooLargeFailsWithoutAllocating_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("allocatedMB");  // at least, by a decoder; 0: refused
        // Each row costs its declared size only if something allocates it;
        // a refused one must leave the process's peak where it was. The
        // controls come last, the larger one after: they raise the peak.
        // PNG, JPEG and TIFF are decoded row by row up to a gigapixel, the
        // variants that can't be (interlaced PNG) and other formats by the
        // image readers up to 16384 x 16384.
        QTest::newRow("PNG 60000 x 60000") << HeaderOnlyPng(QSize(60000, 60000)) << 0;
        QTest::newRow("PNG 32769 x 32768, over a gigapixel")
            << HeaderOnlyPng(QSize(32769, 32768)) << 0;
        QTest::newRow("PNG rows too wide to hold")
            << HeaderOnlyPng(QSize(PictureSize::MaxStreamedWidth + 1, 1)) << 0;
        QTest::newRow("interlaced PNG 16385 x 16384")
            << HeaderOnlyPng(QSize(16385, 16384), true) << 0;
        // The frame header of the JPEG starts at 194: marker, length,
        // precision, then height before width.
        QTest::newRow("JPEG 60000 x 60000")
            << redeclared("orientation-6.jpg", 194 + 5, QSize(60000, 60000), true, 2) << 0;
        // Its coefficients are all held before the first row comes out.
        QTest::newRow("progressive JPEG 16385 x 16384")
            << progressiveJpeg(QSize(16385, 16384)) << 0;
        QTest::newRow("GIF 60000 x 60000")
            << redeclared("first-frame.gif", 6, QSize(60000, 60000), false, 2) << 0;
        QTest::newRow("MNG 60000 x 60000")
            << redeclared("picture.mng", 16, QSize(60000, 60000), true, 4) << 0;
        // The kept picture, 8192 x 8192, is allocated before the first row.
        QTest::newRow("control: PNG 32768 x 32768 is decoded row by row")
            << HeaderOnlyPng(QSize(32768, 32768)) << 128;
        // The readers allocate the whole 1 GiB.
        QTest::newRow("control: interlaced PNG 16384 x 16384 goes to the readers")
            << HeaderOnlyPng(QSize(16384, 16384), true) << 512;
    }
    void declaredTooLargeFailsWithoutAllocating() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, allocatedMB);
        QVERIFY(!bytes.isEmpty());
        const bool refused = allocatedMB == 0;
        const QString file = dir_.filePath("declared.bin");
        QVERIFY(WriteBytes(file, bytes));
        if (refused) QTest::failOnWarning(QRegularExpression(".*"));
        const QImage previous = Halves(QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
        TBitmap bitmap(previous);

        const qint64 peakBefore = PeakVirtualMemory();
        const Outcome outcome = Load(bitmap, file);
        const qint64 grown = PeakVirtualMemory() - peakBefore;

        QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
        QCOMPARE(outcome.message,
                 QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(file)));
        QCOMPARE(bitmap.Image(), previous);
        if (refused)
            QVERIFY2(grown < 64 << 20, qPrintable(QString::number(grown)));
        else
            QVERIFY2(grown >= qint64(allocatedMB) << 20,
                     qPrintable(QStringLiteral("%1 -> %2: a decoder's allocation shows")
                                    .arg(peakBefore)
                                    .arg(peakBefore + grown)));
    }

    void sizeKnownOnlyAfterDecodingIsRefusedUnguarded() {
        // An icon file tells its size only once decoded; without the
        // readers' limit nothing bounds it.
        QVERIFY(QFile::copy(DataDir() + "/picture.icns", dir_.filePath("picture.icns")));
        TBitmap bitmap;
        QCOMPARE(Load(bitmap, dir_.filePath("picture.icns")).failure,
                 QStringLiteral("EBitmapLoadingFailed"));
        // The animation format's header is read here, so it still loads.
        QVERIFY(QFile::copy(DataDir() + "/picture.mng", dir_.filePath("picture.mng")));
        QCOMPARE(Load(bitmap, dir_.filePath("picture.mng")).failure, QString());
        QCOMPARE(bitmap.Image().size(), QSize(6, 4));
    }

    void largestAdmittedPictureLoads_data() {
        QTest::addColumn<bool>("interlaced");
        // 16384 x 16384 decodes to 1 GiB before it is shrunk.
        QTest::newRow("by the readers: interlaced PNG 16384 x 16384") << true;
        QTest::newRow("row by row: PNG 16384 x 16384") << false;
    }
    void largestAdmittedPictureLoads() {
        QFETCH(bool, interlaced);
        const QString file = dir_.filePath("largest.png");
        PngFileWriter writer;
        writer.ColourType = PNG_COLOR_TYPE_PALETTE;
        writer.BitDepth = 1;
        writer.Palette = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
        writer.Interlaced = interlaced;
        QVERIFY(writer.Write(file, QSize(16384, 16384), [](int, uchar* row) {
            memset(row, 0, 1024);
            memset(row + 1024, 0xFF, 1024);  // the right half blue
        }));
        TBitmap bitmap;
        const Outcome outcome = Load(bitmap, file);
        QFile::remove(file);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(bitmap.Image().size(), QSize(8192, 8192));
        QCOMPARE(bitmap.Image().pixelColor(2048, 4096), QColor(255, 0, 0));
        QCOMPARE(bitmap.Image().pixelColor(6144, 4096), QColor(0, 0, 255));
    }
};

QTEST_MAIN(PictureBoundTest)
#include "tst_picturebound.moc"
