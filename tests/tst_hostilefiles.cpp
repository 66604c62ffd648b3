#include <QtGlobal>
#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <winsock2.h>
#endif
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "PictureFiles.h"
#include "TestWindow.h"
#include "framework/window/TFormView.h"

using namespace PictureFiles;

namespace {

const QPoint kOpenButton(50, 28);
const QSize kFails;  // an invalid size: the row must fail

QString hostileDir() {
    return DataDir() + QStringLiteral("/hostile");
}

// Answers the open dialog with the path set last.
struct ChooserScope {
    QString answer;
    TOpenDialog::TChooser previous = TOpenDialog::Chooser();
    ChooserScope() {
        TOpenDialog::Chooser() = [this](QWidget*, const QString&) {
            return std::optional<QString>(answer);
        };
    }
    ~ChooserScope() { TOpenDialog::Chooser() = previous; }
};

#ifdef Q_OS_WIN
// Winsock's names for what the listener below uses.
using socklen_t = int;
constexpr int SOCK_NONBLOCK = 0;
int close(SOCKET fd) {
    return ::closesocket(fd);
}
struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};
#else
using SOCKET = int;
#endif

// A TCP port listening on the loopback, to tell whether anything connected.
struct LoopbackListener {
#ifdef Q_OS_WIN
    Winsock winsock;
    SOCKET fd = [] {
        const SOCKET fd = ::socket(AF_INET, SOCK_STREAM, 0);
        u_long nonBlocking = 1;
        if (fd != INVALID_SOCKET) ::ioctlsocket(fd, FIONBIO, &nonBlocking);
        return fd;
    }();
#else
    SOCKET fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
#endif
    int port = 0;
    bool listen() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd == SOCKET(-1) || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(fd, 4) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return false;
        port = ntohs(address.sin_port);
        return true;
    }
    // A connection made at any time since listen() waits in the backlog.
    bool connected() {
        const SOCKET client = ::accept(fd, nullptr, nullptr);
        if (client == SOCKET(-1)) return false;
        close(client);
        return true;
    }
    ~LoopbackListener() {
        if (fd != SOCKET(-1)) close(fd);
    }
};

// The first pixel as stored: premultiplied ARGB, one byte a channel.
bool storedNear(QRgb stored, QRgb expected, int tolerance) {
    return qAbs(qAlpha(stored) - qAlpha(expected)) <= tolerance &&
           qAbs(qRed(stored) - qRed(expected)) <= tolerance &&
           qAbs(qGreen(stored) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(stored) - qBlue(expected)) <= tolerance;
}

// What each file must end in: kFails, or its size and first pixel as stored
// (premultiplied ARGB) within a tolerance per channel.
struct Expected {
    const char* name;
    QSize size;
    QRgb first;
    int tolerance;
};
const Expected kFiles[] = {
    {"empty.png", kFails, 0, 0},
    {"text-named.png", kFails, 0, 0},
    {"html-named.jpg", kFails, 0, 0},
    {"zeros.bmp", kFails, 0, 0},

    {"png-signature-only.png", kFails, 0, 0},
    {"png-cut-in-header.png", kFails, 0, 0},
    {"png-cut-after-header.png", kFails, 0, 0},
    {"png-cut-in-pixels.png", kFails, 0, 0},
    {"png-no-end.png", kFails, 0, 0},
    {"png-header-checksum.png", kFails, 0, 0},
    {"png-zero-width.png", kFails, 0, 0},
    {"png-declares-65535x65535.png", kFails, 0, 0},
    {"png-declares-2147483647x1.png", kFails, 0, 0},
    {"one-pixel.png", QSize(1, 1), 0xFFFF0000, 0},
    {"png-16-bit.png", QSize(6, 4), 0xFFFF0000, 0},
    {"png-grey-alpha.png", QSize(6, 4), 0x80808080, 0},
    {"png-palette-transparency.png", QSize(6, 4), 0x80800000, 0},
    {"png-interlaced.png", QSize(6, 4), 0xFFFF0000, 0},
    {"png-trailing-bytes.png", QSize(6, 4), 0xFFFF0000, 0},
    {"png-named.gif", QSize(6, 4), 0xFFFF0000, 0},

    {"jpeg-cut-in-header.jpg", kFails, 0, 0},
    {"jpeg-cut-in-pixels.jpg", kFails, 0, 0},
    {"jpeg-no-end-marker.jpg", kFails, 0, 0},
    {"jpeg-declares-60000x60000.jpg", kFails, 0, 0},
    {"jpeg-cmyk.jpg", QSize(6, 4), 0xFFFF0000, 3},
    {"jpeg-progressive.jpg", QSize(6, 4), 0xFFFF0000, 3},
    // Stored 8 x 4 with an orientation that says "turn a quarter".
    {"jpeg-exif-rotated.jpg", QSize(8, 4), 0xFFC86432, 3},

    {"gif-cut-in-header.gif", kFails, 0, 0},
    {"gif-cut-in-pixels.gif", kFails, 0, 0},
    {"gif-screen-65535x65535.gif", kFails, 0, 0},
    {"gif-animated.gif", QSize(6, 4), 0xFFFF0000, 0},
    {"gif-animated-cut-in-second-frame.gif", QSize(6, 4), 0xFFFF0000, 0},

    {"bmp-cut-in-header.bmp", kFails, 0, 0},
    {"bmp-cut-in-pixels.bmp", kFails, 0, 0},
    {"bmp-declares-60000x60000.bmp", kFails, 0, 0},
    {"bmp-declares-top-down-60000.bmp", kFails, 0, 0},
    {"bmp-named.png", QSize(6, 4), 0xFFFF0000, 0},

    {"tiff-cut-in-directory.tiff", kFails, 0, 0},
    {"tiff-declares-60000x60000.tiff", kFails, 0, 0},
    {"tiff-two-pages.tiff", QSize(6, 4), 0xFFFF0000, 0},

    {"icns-block-length-zero.icns", kFails, 0, 0},
    {"icns-longer-than-file.icns", kFails, 0, 0},
    {"icns-icon.icns", QSize(32, 32), 0xFFFF0000, 0},

    {"tga-red.tga", QSize(6, 4), 0xFFFF0000, 0},
    {"tga-cut-in-pixels.tga", kFails, 0, 0},
    {"tga-cut-short-by-3.tga", kFails, 0, 0},
    {"tga-declares-1798x29444.tga", kFails, 0, 0},

    {"pbm-declares-60000x60000.pbm", kFails, 0, 0},
    {"ppm-cut-in-pixels.ppm", kFails, 0, 0},
    {"xbm-declares-60000x60000.xbm", kFails, 0, 0},
    {"pbm-one-pixel.pbm", QSize(1, 1), 0xFF000000, 0},

    {"svg-external-image.svg", kFails, 0, 0},
    {"svg-external-image-unprefixed.svg", kFails, 0, 0},
    {"svgz-external-image.svgz", kFails, 0, 0},
    {"svg-declares-1e9.svg", kFails, 0, 0},
    {"svg-cut-short.svg", kFails, 0, 0},
    {"svg-entity-expansion.svg", kFails, 0, 0},
#ifdef TIDEMARK_NO_SVG_READER
    // Built without an SVG reader (see tests/CMakeLists.txt).
    {"svg-inline-image.svg", kFails, 0, 0},
#else
    {"svg-inline-image.svg", QSize(6, 4), 0xFFFF0000, 0},
#endif
};

}  // namespace

// Bad and unusual picture files (tests/data/hostile, made by
// tools/make-hostile-pictures.py) opened through the window as a user would:
// each shows as it should or fails with its message, the previous picture
// stays, and the window goes on answering.
class HostileFilesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestWindow> window_;
    ChooserScope chooser_;

    // Opens a file with the open button; the error box's text, if any.
    std::optional<QString> open(const QString& path) {
        chooser_.answer = path;
        const size_t before = window_->boxes.size();
        window_->click(kOpenButton);
        if (window_->boxes.size() == before) return std::nullopt;
        return window_->boxes.back().Text;
    }

private slots:
    void initTestCase() { window_ = std::make_unique<TestWindow>(); }
    void cleanupTestCase() { window_.reset(); }

    void eachFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<uint>("first");
        QTest::addColumn<int>("tolerance");
        for (const Expected& e : kFiles)
            QTest::newRow(e.name) << QString::fromLatin1(e.name) << e.size << uint(e.first)
                                  << e.tolerance;
    }
    void eachFile() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(uint, first);
        QFETCH(int, tolerance);
        const QString path = hostileDir() + u'/' + name;
        QVERIFY2(QFile::exists(path), qPrintable(path));
        TForm1& f = window_->form();
        // A known picture first, so that a failure has something to keep.
        QVERIFY(!open(DataDir() + QStringLiteral("/gamma-0.4.png")).has_value());
        const QImage previous = f.Image1->Bitmap().Image();

        const std::optional<QString> box = open(path);

        const QImage& now = f.Image1->Bitmap().Image();
        if (!size.isValid()) {
            QVERIFY2(box.has_value(), "loaded");
            QCOMPARE(
                *box,
                QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(path)));
            QCOMPARE(now.cacheKey(), previous.cacheKey());
        } else {
            QVERIFY2(!box.has_value(), qPrintable(box.value_or(QString())));
            QCOMPARE(now.size(), size);
            QCOMPARE(now.format(), QImage::Format_ARGB32_Premultiplied);
            const QRgb stored = reinterpret_cast<const QRgb*>(now.constScanLine(0))[0];
            QVERIFY2(storedNear(stored, first, tolerance), qPrintable(QString::number(stored, 16)));
        }
        // Still answering: the picture paints, and a click on the chart
        // places the ship (away from where it is, or the ship takes the click).
        QVERIFY(!f.View()->grab().isNull());
        const QPoint at = f.Ellipse1->Position.X() < 300 ? QPoint(450, 350) : QPoint(150, 200);
        window_->click(at);
        QCOMPARE(f.Ellipse1->Position.Point(), QPointF(at.x() - 4.5, at.y() - 11));
    }

    // The table and the directory name the same files.
    void everyFileHasARow() {
        QStringList rows;
        for (const Expected& e : kFiles) rows << QString::fromLatin1(e.name);
        rows.sort();
        const QStringList files = QDir(hostileDir()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(rows, files);
        QVERIFY(files.size() >= 30);
    }

    void externalReferenceIsNeverFetched() {
        // A server of our own on the loopback: had anything tried the URL,
        // the connection would be waiting in its backlog.
        LoopbackListener server;
        QVERIFY(server.listen());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("remote.svg"));
        const QString url = QStringLiteral("http://127.0.0.1:%1/chart.png").arg(server.port);
        QVERIFY(WriteBytes(
            path, QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                 "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"6\" "
                                 "height=\"4\"><image width=\"6\" height=\"4\" xlink:href=\"%1\"/>"
                                 "<image width=\"6\" height=\"4\" href=\"%1\"/></svg>")
                      .arg(url)
                      .toUtf8()));
        const std::optional<QString> box = open(path);
        QCOMPARE(box.value_or(QString()),
                 QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(path)));
        QVERIFY(!server.connected());
    }

    void referenceToAPipeNeitherBlocksNorLoads() {
        // The SVG reader would open the pipe itself and wait for a writer
        // for ever.
        QTemporaryDir dir;
#ifdef Q_OS_WIN
        // A named pipe whose server never writes.
        const QString fifo =
            QStringLiteral("\\\\.\\pipe\\tidemark-svg-%1").arg(QCoreApplication::applicationPid());
        const HANDLE pipe =
            CreateNamedPipeW(reinterpret_cast<const wchar_t*>(fifo.utf16()), PIPE_ACCESS_OUTBOUND,
                             PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        QVERIFY(pipe != INVALID_HANDLE_VALUE);
        const auto closePipe = qScopeGuard([pipe] { CloseHandle(pipe); });
#else
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
#endif
        const QString path = dir.filePath(QStringLiteral("pipe.svg"));
        QVERIFY(WriteBytes(path, QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                                "width=\"6\" height=\"4\"><image width=\"6\" "
                                                "height=\"4\" href=\"%1\"/></svg>")
                                     .arg(fifo)
                                     .toUtf8()));
        const std::optional<QString> box = open(path);
        QCOMPARE(box.value_or(QString()),
                 QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(path)));
    }
};

QTEST_MAIN(HostileFilesTest)
#include "tst_hostilefiles.moc"
