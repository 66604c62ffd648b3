#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "PictureFiles.h"
#include "framework/TBitmap.h"

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
        QTest::addColumn<bool>("refused");
        // Each row costs its declared size only if something allocates it;
        // a refused one must leave the process's peak where it was. The
        // 16384 x 16384 control comes last: it raises the peak.
        QTest::newRow("PNG 60000 x 60000") << HeaderOnlyPng(QSize(60000, 60000)) << true;
        QTest::newRow("PNG 16385 x 16384") << HeaderOnlyPng(QSize(16385, 16384)) << true;
        // The frame header of the JPEG starts at 194: marker, length,
        // precision, then height before width.
        QTest::newRow("JPEG 60000 x 60000")
            << redeclared("orientation-6.jpg", 194 + 5, QSize(60000, 60000), true, 2) << true;
        QTest::newRow("GIF 60000 x 60000")
            << redeclared("first-frame.gif", 6, QSize(60000, 60000), false, 2) << true;
        QTest::newRow("MNG 60000 x 60000")
            << redeclared("picture.mng", 16, QSize(60000, 60000), true, 4) << true;
        QTest::newRow("control: PNG 16384 x 16384 is decoded")
            << HeaderOnlyPng(QSize(16384, 16384)) << false;
    }
    void declaredTooLargeFailsWithoutAllocating() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        QVERIFY(!bytes.isEmpty());
        const QString file = dir_.filePath("declared.bin");
        QVERIFY(WriteBytes(file, bytes));
        if (refused) QTest::failOnWarning(QRegularExpression(".*"));
        const QImage previous = Halves(QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
        TBitmap bitmap(previous);

        const qint64 peakBefore = PeakVirtualMemory();
        const Outcome outcome = Load(bitmap, file);
        const qint64 grown = PeakVirtualMemory() - peakBefore;

        QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
        QCOMPARE(outcome.message, QStringLiteral("Loading bitmap failed (%1).").arg(file));
        QCOMPARE(bitmap.Image(), previous);
        if (refused)
            QVERIFY2(grown < 64 << 20, qPrintable(QString::number(grown)));
        else
            QVERIFY2(grown >= 512 << 20,
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

    void largestAdmittedPictureLoads() {
        // 16384 x 16384 decodes to 1 GiB before it is shrunk.
        const QString file = dir_.filePath("largest.png");
        QImage picture(16384, 16384, QImage::Format_Mono);
        picture.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
        picture.fill(0);
        for (int y = 0; y < picture.height(); ++y)
            memset(picture.scanLine(y) + 1024, 0xFF, 1024);  // the right half blue
        QVERIFY(Write(file, picture, "png"));
        picture = QImage();
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
