#include <QtGlobal>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
// Old 16-bit pointer keywords, which would empty near() below.
#undef near
#undef far
#endif
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "PictureFiles.h"
#include "framework/stock/TBitmap.h"
#include "picture/inspect/PictureSize.h"

using namespace PictureFiles;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

bool near(QColor a, QColor b, int tolerance) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance && a.alpha() == b.alpha();
}

#ifdef Q_OS_UNIX
// A listening socket's file, closed again when it goes.
struct SocketFile {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    bool bind(const QString& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path) return false;
        std::copy(name.begin(), name.end(), address.sun_path);
        return ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               ::listen(fd, 1) == 0;
    }
    ~SocketFile() {
        if (fd >= 0) ::close(fd);
    }
};
#endif

#ifdef Q_OS_WIN
// The server's end of a named pipe that never writes, closed when it goes.
struct PipeServer {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool listen(const QString& name) {
        handle =
            CreateNamedPipeW(reinterpret_cast<const wchar_t*>(name.utf16()), PIPE_ACCESS_OUTBOUND,
                             PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    }
    ~PipeServer() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
#endif

QString describe(QColor c) {
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alpha());
}

}  // namespace

// TBitmap::LoadFromFile: which files load, at what size, and how the others
// fail, leaving the picture as it was.
class PictureLoadTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void shrinkingRule_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("wide") << QSize(10000, 5000) << QSize(8192, 4096);
        QTest::newRow("shorter side truncated") << QSize(9000, 6000) << QSize(8192, 5461);
        QTest::newRow("tall") << QSize(6000, 9000) << QSize(5461, 8192);
        QTest::newRow("square at the limit") << QSize(8192, 8192) << QSize(8192, 8192);
        QTest::newRow("built-in chart") << QSize(6208, 2500) << QSize(6208, 2500);
        QTest::newRow("just over, longer side exact") << QSize(10001, 3) << QSize(8192, 2);
        QTest::newRow("a thread keeps one pixel") << QSize(20000, 1) << QSize(8192, 1);
        QTest::newRow("square at the bound") << QSize(16384, 16384) << QSize(8192, 8192);
        QTest::newRow("small is never enlarged") << QSize(3, 2) << QSize(3, 2);
    }
    void shrinkingRule() {
        QFETCH(QSize, source);
        QFETCH(QSize, kept);
        QCOMPARE(PictureSize::Shrunk(source), kept);
    }

    void declaredSizeBound_data() {
        QTest::addColumn<QSize>("declared");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("16384 x 16384") << QSize(16384, 16384) << true;
        QTest::newRow("same pixels, other shape") << QSize(65536, 4096) << true;
        QTest::newRow("one column more") << QSize(16385, 16384) << false;
        QTest::newRow("bomb") << QSize(60000, 60000) << false;
        QTest::newRow("nothing") << QSize(0, 5) << false;
    }
    void declaredSizeBound() {
        QFETCH(QSize, declared);
        QFETCH(bool, admitted);
        QCOMPARE(PictureSize::Admissible(declared), admitted);
    }

    // Every reader on the machine, the content deciding and never the name.
    void everyFormatByContent_data() {
        QTest::addColumn<QString>("format");  // written here, or a file under tests/data
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("tolerance");  // for the colour at (1, 1); -1: not checked
        auto written = [](const char* row, const char* format, int tolerance) {
            QTest::newRow(row) << QString::fromLatin1(format) << QStringLiteral("picture.bin")
                               << QSize(6, 4) << tolerance;
        };
        QTest::newRow("PNG named .jpg") << "png"
                                        << "picture.jpg" << QSize(6, 4) << 0;
        written("BMP", "bmp", 0);
        written("JPEG", "jpeg", 60);
        written("PPM", "ppm", 0);
        written("PGM", "pgm", -1);
        written("PBM", "pbm", -1);
        written("XBM", "xbm", -1);
        written("XPM", "xpm", 0);
        written("ICO", "ico", 0);
        written("CUR", "cur", 0);
        written("TIFF", "tiff", 0);
        written("WebP", "webp", 60);
        written("WBMP", "wbmp", -1);
        auto stored = [](const char* row, const char* file, QSize size) {
            QTest::newRow(row) << QStringLiteral("data:") + file << QStringLiteral("picture.bin")
                               << size << 0;
        };
        stored("animated GIF, first frame", "first-frame.gif", QSize(6, 4));
        stored("two-page TIFF, first page", "two-pages.tiff", QSize(6, 4));
        stored("TGA, taken for an icon at first sight", "picture.tga", QSize(6, 4));
        stored("MNG", "picture.mng", QSize(6, 4));
        stored("ICNS", "picture.icns", QSize(32, 32));
#ifndef TIDEMARK_NO_SVG_READER
        stored("SVG", "picture.svg", QSize(6, 4));
#endif
    }
    void everyFormatByContent() {
        QFETCH(QString, format);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, tolerance);
        const QString file = path(name);
        QFile::remove(file);
        if (format.startsWith("data:"))
            QVERIFY(QFile::copy(DataDir() + u'/' + format.mid(5), file));
        else
            QVERIFY(Write(file, Halves(QSize(6, 4)), format.toLatin1().constData(), 100));

        TBitmap bitmap;
        const Outcome outcome = Load(bitmap, file);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(bitmap.Image().size(), size);
        QCOMPARE(bitmap.Image().format(), QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!bitmap.Image().colorSpace().isValid());
        if (tolerance >= 0) {
            const QColor at = bitmap.Image().pixelColor(1, 1);
            QVERIFY2(near(at, kRed, tolerance), qPrintable(describe(at)));
        }
    }

    void noMetadataApplied_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("tolerance");
        const QColor stored(200, 100, 50);
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(stored);
        picture.setColorSpace(QColorSpace(QColorSpace::ProPhotoRgb));
        auto encode = [&](const char* format) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, format);
            writer.setQuality(100);
            writer.write(picture);
            return bytes;
        };
        QFile exif(DataDir() + "/orientation-6.jpg");
        QFile gamma(DataDir() + "/gamma-0.4.png");
        QVERIFY(exif.open(QIODevice::ReadOnly) && gamma.open(QIODevice::ReadOnly));
        const QByteArray png = encode("png"), jpeg = encode("jpeg");
        // Without these the rows below would prove nothing.
        QVERIFY(png.contains("iCCP") && jpeg.contains("ICC_PROFILE"));
        // Stored 8 x 4 with an orientation that says "turn a quarter".
        QTest::newRow("orientation") << "picture.jpg" << exif.readAll() << QSize(8, 4) << 2;
        QTest::newRow("gamma") << "picture.png" << gamma.readAll() << QSize(4, 4) << 0;
        QTest::newRow("PNG colour profile") << "picture.png" << png << QSize(4, 4) << 0;
        QTest::newRow("JPEG colour profile") << "picture.jpg" << jpeg << QSize(4, 4) << 3;
        QTest::newRow("@2x name") << "chart@2x.png" << encode("png") << QSize(4, 4) << 0;
    }
    void noMetadataApplied() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, tolerance);
        QVERIFY(WriteBytes(path(name), bytes));
        TBitmap bitmap;
        const Outcome outcome = Load(bitmap, path(name));
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(bitmap.Image().size(), size);
        QCOMPARE(bitmap.Image().devicePixelRatio(), 1.0);
        QVERIFY(!bitmap.Image().colorSpace().isValid());
        const QColor at = bitmap.Image().pixelColor(1, 1);
        QVERIFY2(near(at, QColor(200, 100, 50), tolerance), qPrintable(describe(at)));
    }

    void translucentPixelsArePremultiplied() {
        QImage picture(2, 2, QImage::Format_ARGB32);
        picture.fill(qRgba(255, 0, 0, 128));
        QVERIFY(Write(path("translucent.png"), picture, "png"));
        TBitmap bitmap;
        bitmap.LoadFromFile(path("translucent.png"));
        const QRgb stored = reinterpret_cast<const QRgb*>(bitmap.Image().constScanLine(0))[0];
        QCOMPARE(stored, qRgba(128, 0, 0, 128));
    }

    void shrinkingDoesNotBleedTransparentColour() {
        // Fully transparent pixels may hold any colour; blending them in
        // without premultiplying would tint the opaque edge green.
        QImage picture(10000, 4, QImage::Format_ARGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 10000; ++x)
                picture.setPixel(x, y, x < 5001 ? qRgba(255, 0, 0, 255) : qRgba(0, 255, 0, 0));
        QVERIFY(Write(path("edge.png"), picture, "png"));
        TBitmap bitmap;
        bitmap.LoadFromFile(path("edge.png"));
        QCOMPARE(bitmap.Image().size(), QSize(8192, 3));
        for (int x = 0; x < 8192; ++x)
            QVERIFY2(qGreen(bitmap.Image().pixel(x, 1)) == 0, qPrintable(QString::number(x)));
    }

    void failuresLeaveThePictureAsItWas_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("systemText");  // of an open failure
        const QString open = QStringLiteral("EFOpenError");
        const QString bitmap = QStringLiteral("EBitmapLoadingFailed");
        QTest::newRow("text named .png") << "text" << bitmap << "";
        QTest::newRow("text, relative path") << "relative text" << bitmap << "";
        QTest::newRow("empty file") << "empty" << bitmap << "";
        QTest::newRow("truncated PNG") << "truncated" << bitmap << "";
        QTest::newRow("60000 x 60000 bomb") << "bomb" << bitmap << "";
#ifdef Q_OS_WIN
        // The system's own words for its error codes.
        const QString missing = qt_error_string(ERROR_FILE_NOT_FOUND);
        const QString directory = qt_error_string(ERROR_ACCESS_DENIED);
        const QString throughFile = qt_error_string(ERROR_PATH_NOT_FOUND);
        // A name longer than the file system allows: Windows calls it
        // invalid, Wine reports it missing. Either text will do.
        const QString tooLong = qt_error_string(ERROR_INVALID_NAME) + u'\n' + missing;
#else
        const QString missing = QStringLiteral("No such file or directory");
        const QString directory = QStringLiteral("Is a directory");
        const QString throughFile = QStringLiteral("Not a directory");
        const QString tooLong = QStringLiteral("File name too long");
#endif
        QTest::newRow("missing") << "missing" << open << missing;
        QTest::newRow("missing, relative path") << "relative missing" << open << missing;
        QTest::newRow("directory") << "directory" << open << directory;
        QTest::newRow("path through a file") << "through file" << open << throughFile;
        QTest::newRow("name too long") << "long name" << open << tooLong;
#ifdef Q_OS_UNIX
        // Kinds of file that only these systems have in their file system.
        QTest::newRow("socket") << "socket" << open << "No such device or address";
        QTest::newRow("FIFO without a writer") << "fifo" << bitmap << "";
        QTest::newRow("/dev/zero") << "/dev/zero" << bitmap << "";
        QTest::newRow("/dev/urandom") << "/dev/urandom" << bitmap << "";
#endif
#ifdef Q_OS_WIN
        // Their counterparts here: pipes and devices by the names the
        // system gives them, never read.
        QTest::newRow("named pipe without a writer") << "pipe" << bitmap << "";
        QTest::newRow("named pipe nobody serves") << "\\\\.\\pipe\\tidemark-nobody" << bitmap << "";
        QTest::newRow("NUL") << "NUL" << bitmap << "";
        QTest::newRow("CON") << "CON" << bitmap << "";
        QTest::newRow("NUL in a folder") << "folder NUL" << bitmap << "";
#endif
    }
    void failuresLeaveThePictureAsItWas() {
        QFETCH(QString, kind);
        QFETCH(QString, failure);
        QFETCH(QString, systemText);
        QString file = path("subject.png");
        QFile::remove(file);
        const QString previousDir = QDir::currentPath();
#ifdef Q_OS_UNIX
        SocketFile socket;
#endif
#ifdef Q_OS_WIN
        PipeServer pipe;
#endif
        if (kind == "text" || kind == "relative text") {
            QVERIFY(WriteBytes(file, "This is a note, not a chart.\n"));
        } else if (kind == "empty") {
            QVERIFY(WriteBytes(file, {}));
        } else if (kind == "truncated") {
            QImage noise(64, 64, QImage::Format_RGB32);
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    noise.setPixel(x, y, QRandomGenerator::global()->generate());
            QVERIFY(Write(file, noise, "png"));
            QFile whole(file);
            QVERIFY(whole.open(QIODevice::ReadOnly));
            const QByteArray bytes = whole.readAll();
            whole.close();
            QVERIFY(WriteBytes(file, bytes.left(bytes.size() / 2)));
        } else if (kind == "bomb") {
            QVERIFY(WriteBytes(file, HeaderOnlyPng(QSize(60000, 60000))));
            // Refused on the header alone: no reader gets to allocate or
            // complain about the missing pixels.
            QTest::failOnWarning(QRegularExpression(".*"));
        } else if (kind == "directory") {
            file = dir_.path();
        } else if (kind == "through file") {
            QVERIFY(WriteBytes(file, "x"));
            file += "/inner.png";
        } else if (kind == "long name") {
            file = path(QString(300, u'a') + ".png");
#ifdef Q_OS_UNIX
        } else if (kind == "socket") {
            file = path("socket");
            QFile::remove(file);
            QVERIFY(socket.bind(file));
        } else if (kind == "fifo") {
            file = path("fifo");
            QFile::remove(file);
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
#endif
#ifdef Q_OS_WIN
        } else if (kind == "pipe") {
            file =
                QStringLiteral("\\\\.\\pipe\\tidemark-%1").arg(QCoreApplication::applicationPid());
            QVERIFY(pipe.listen(file));
        } else if (kind == "folder NUL") {
            file = path("NUL");
        } else if (kind == "NUL" || kind == "CON" || kind.startsWith("\\\\")) {
            file = kind;
#endif
        } else if (kind.startsWith("/dev/")) {
            file = kind;
        }
        if (kind.startsWith("relative")) {
            QVERIFY(QDir::setCurrent(dir_.path()));
            file = "subject.png";
        }

        const QImage previous = Halves(QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
        TBitmap bitmap(previous);
        int changes = 0;
        bitmap.OnChange = [&] { ++changes; };
        const qint64 peakBefore = PeakVirtualMemory();
        const Outcome outcome = Load(bitmap, file);
        const qint64 grown = PeakVirtualMemory() - peakBefore;
        const QString fullPath = QFileInfo(file).absoluteFilePath();
        QDir::setCurrent(previousDir);

        QCOMPARE(outcome.failure, failure);
        // Paths as the system writes them.
        if (failure == "EFOpenError") {
            // The system's text, or one of them where systems differ.
            QString expected;
            for (const QString& text : systemText.split(u'\n')) {
                expected = QStringLiteral("Cannot open file \"%1\". %2")
                               .arg(QDir::toNativeSeparators(fullPath), text);
                if (outcome.message == expected) break;
            }
            QCOMPARE(outcome.message, expected);
        } else {
            QCOMPARE(
                outcome.message,
                QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(file)));
        }
        QCOMPARE(bitmap.Image(), previous);
        QCOMPARE(changes, 0);
        // Nothing read without end, nothing allocated for a bomb.
        QVERIFY2(grown < 64 << 20, qPrintable(QString::number(grown)));
    }

    void successReplacesThePictureAndTellsOnce() {
        QVERIFY(Write(path("next.png"), Halves(QSize(5, 3)), "png"));
        TBitmap bitmap(Halves(QSize(3, 2)));
        int changes = 0;
        bitmap.OnChange = [&] { ++changes; };
        bitmap.LoadFromFile(path("next.png"));
        QCOMPARE(changes, 1);
        QCOMPARE(bitmap.Image().size(), QSize(5, 3));
    }

    // Large pictures are made here, two colours each, and removed after.
    void largePicturesShrunk_data() {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("10000 x 5000 PNG") << QSize(10000, 5000) << "png" << QSize(8192, 4096);
        QTest::newRow("9000 x 6000 PNG") << QSize(9000, 6000) << "png" << QSize(8192, 5461);
        QTest::newRow("5000 x 10000 PNG") << QSize(5000, 10000) << "png" << QSize(4096, 8192);
        QTest::newRow("8193 x 2 PNG") << QSize(8193, 2) << "png" << QSize(8192, 1);
        QTest::newRow("20000 x 1 PNG") << QSize(20000, 1) << "png" << QSize(8192, 1);
        QTest::newRow("8192 x 8192 PNG") << QSize(8192, 8192) << "png" << QSize(8192, 8192);
        QTest::newRow("6208 x 2500 PNG") << QSize(6208, 2500) << "png" << QSize(6208, 2500);
        // Opaque truecolour: the reader shrinks it while decoding.
        QTest::newRow("10000 x 5000 RGB PNG")
            << QSize(10000, 5000) << "rgb.png" << QSize(8192, 4096);
        QTest::newRow("10000 x 5000 JPEG") << QSize(10000, 5000) << "jpeg" << QSize(8192, 4096);
        QTest::newRow("9000 x 6000 JPEG") << QSize(9000, 6000) << "jpeg" << QSize(8192, 5461);
    }
    void largePicturesShrunk() {
        QFETCH(QSize, source);
        QFETCH(QString, format);
        QFETCH(QSize, kept);
        const QString file = path("large." + format);
        const bool png = format.endsWith("png");
        const bool palette = format == "png";
        QVERIFY(Write(file,
                      Halves(source, palette ? QImage::Format_Indexed8 : QImage::Format_RGB32),
                      png ? "png" : "jpeg"));
        TBitmap bitmap;
        const Outcome outcome = Load(bitmap, file);
        QFile::remove(file);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
        const QImage& image = bitmap.Image();
        QCOMPARE(image.size(), kept);
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        const int y = image.height() / 2;
        if (image.width() >= 4) {
            QVERIFY(near(image.pixelColor(image.width() / 4, y), kRed, png ? 0 : 8));
            QVERIFY(near(image.pixelColor(image.width() * 3 / 4, y), kBlue, png ? 0 : 8));
        }
    }
};

QTEST_MAIN(PictureLoadTest)
#include "tst_pictureload.moc"
