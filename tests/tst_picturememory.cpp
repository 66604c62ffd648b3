#include <png.h>
#include <tiffio.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "JpegFileWriter.h"
#include "PictureFiles.h"
#include "PngFileWriter.h"
#include "ProcessStatus.h"
#include "TiffFileWriter.h"
#include "framework/stock/TBitmap.h"
#include "picture/inspect/PictureSize.h"

using namespace PictureFiles;

namespace {

// A field of /proc/self/status, in bytes.
qint64 Status(const char* key) {
    return ProcessStatus::KiB(key) * 1024;
}

// Starts the resident high-water mark afresh at what is resident now.
bool ResetPeak() {
#ifdef Q_OS_WIN
    // Windows keeps a process's peak working set for its life: it serves
    // while nothing so far was much larger than what is resident now, which
    // is why each row runs in a process of its own there.
    return Status("VmHWM:") <= Status("VmRSS:") + (32 << 20);
#else
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
#endif
}

// Left half red, right half blue, with a white line across the middle one
// source row tall: averaging keeps a trace of it, sampling might not.
void HalvesRow(int width, int height, int y, int channels, uchar* out) {
    for (int x = 0; x < width; ++x) {
        uchar* p = out + size_t(x) * channels;
        const bool line = y == height / 2;
        p[0] = line || x < width / 2 ? 255 : 0;
        p[1] = line ? 255 : 0;
        p[2] = line || x >= width / 2 ? 255 : 0;
    }
}

bool Make(const QString& format, const QString& path, QSize size) {
    const int w = size.width(), h = size.height();
    const QString partial = path + ".part";
    bool made = false;
    if (format == "PNG") {
        // Two palette entries, a bit a pixel: a gigapixel in a few megabytes.
        PngFileWriter writer;
        writer.ColourType = PNG_COLOR_TYPE_PALETTE;
        writer.BitDepth = 2;
        writer.Palette = {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
        made = writer.Write(partial, size, [=](int y, uchar* row) {
            const int bytes = (w + 3) / 4;
            std::fill_n(row, bytes, uchar(y == h / 2 ? 0xAA : 0x00));
            if (y != h / 2) std::fill(row + w / 8, row + bytes, uchar(0x55));
        });
    } else if (format == "JPEG") {
        made = JpegFileWriter().Write(partial, size,
                                      [=](int y, uchar* row) { HalvesRow(w, h, y, 3, row); });
    } else {
        // All the rows in one strip, as some writers do.
        TiffFileWriter writer;
        writer.RowsPerStrip = h;
        made = writer.Write(partial, size, [=](int y, uchar* row) { HalvesRow(w, h, y, 3, row); });
    }
    return made && QFile::rename(partial, path);
}

}  // namespace

// Pictures far larger than the kept size load in memory that goes with the
// kept size: at most 1.5 times its bytes and 64 MB besides, whatever the
// source (the image readers would hold 4 bytes of every source pixel).
class PictureMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void largePictureTakesMemoryOfTheKeptSize_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("source");
        QTest::newRow("PNG 40000 x 25000, a gigapixel") << "PNG" << QSize(40000, 25000);
        QTest::newRow("JPEG 20000 x 15000") << "JPEG" << QSize(20000, 15000);
        QTest::newRow("TIFF 20000 x 12000 in one strip") << "TIFF" << QSize(20000, 12000);
    }
    void largePictureTakesMemoryOfTheKeptSize() {
        QFETCH(QString, format);
        QFETCH(QSize, source);
        // Made once and kept under the build tree: the next run only loads.
        const QString cache = CacheDir();
        const QString file = QStringLiteral("%1/memory-%2x%3.%4")
                                 .arg(cache)
                                 .arg(source.width())
                                 .arg(source.height())
                                 .arg(format.toLower());
        if (!QFileInfo::exists(file)) QVERIFY(Make(format, file, source));

        if (!ResetPeak()) QSKIP("the resident high-water mark can't be reset here");
        const qint64 before = Status("VmRSS:");
        TBitmap bitmap;
        const Outcome outcome = Load(bitmap, file);
        const qint64 grown = Status("VmHWM:") - before;

        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
        qInfo("%.1f MB resident at the peak above what was before", grown / 1e6);
        const QSize kept = PictureSize::Shrunk(source);
        QCOMPARE(bitmap.Image().size(), kept);
        const qint64 keptBytes = qint64(kept.width()) * kept.height() * 4;
        QVERIFY2(grown <= keptBytes * 3 / 2 + 64'000'000,
                 qPrintable(QStringLiteral("%1 MB for a kept picture of %2 MB")
                                .arg(grown / 1e6)
                                .arg(keptBytes / 1e6)));
        const QImage& image = bitmap.Image();
        const int y = kept.height() / 4;
        const int tolerance = format == "JPEG" ? 8 : 0;
        auto near = [&](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) <= tolerance &&
                   qAbs(a.green() - b.green()) <= tolerance &&
                   qAbs(a.blue() - b.blue()) <= tolerance;
        };
        QVERIFY(near(image.pixelColor(kept.width() / 4, y), QColor(255, 0, 0)));
        QVERIFY(near(image.pixelColor(kept.width() * 3 / 4, y), QColor(0, 0, 255)));
        // The white source row, a fraction of a kept row, still lightens it.
        const int line = kept.height() / 2;
        int lightest = 0;
        for (int r = line - 1; r <= line + 1; ++r)
            lightest = std::max(lightest, image.pixelColor(kept.width() / 4, r).green());
        QVERIFY2(lightest >= 20, qPrintable(QString::number(lightest)));
    }
};

QTEST_MAIN(PictureMemoryTest)
#include "tst_picturememory.moc"
