// Any bytes at all, as a picture file chosen in the open dialog: loading
// either gives a picture the view can hold or fails with one of its two
// messages, and a failure leaves the picture as it was. Crashes, hangs,
// leaks and allocations beyond the decoder's bound are libFuzzer's to catch;
// the bound comes from the decoder itself, so the limits follow it.

#include <fcntl.h>
#include <unistd.h>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzArguments.h"
#include "framework/core/Exception.h"
#include "picture/PictureDecoder.h"
#include "picture/inspect/PictureSize.h"
#include "framework/stock/TBitmap.h"

namespace {

QString picturePath;

bool writeFile(const QString& path, const uint8_t* data, size_t size) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) break;
        written += size_t(n);
    }
    return ::close(fd) == 0 && written == size;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_picture: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // One picture may take the readers' whole allowance; the process needs
    // room beside it for itself and the sanitizer's shadow and quarantine.
    const int bound = PictureDecoder::ReaderAllocationLimitMB;
    FuzzArguments::PrependDefaults(
        argc, argv,
        {"-malloc_limit_mb=" + std::to_string(bound),
         "-rss_limit_mb=" + std::to_string(bound + 1024), "-timeout=30"});
    FuzzArguments::UseOffscreenPlatform();
    FuzzArguments::SilenceQt();
    // Decoders for vector pictures draw text, which needs the GUI side.
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    // A directory of its own, in memory where the system offers it.
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tidemark-fuzz-XXXXXX"));
    if (!dir.isValid()) fail("no temporary directory");
    picturePath = dir.filePath(QStringLiteral("picture"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeFile(picturePath, data, size)) fail("could not write the picture file");
    QImage previous(3, 2, QImage::Format_ARGB32_Premultiplied);
    previous.fill(Qt::red);
    TBitmap bitmap(previous);
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    try {
        bitmap.LoadFromFile(picturePath);
    } catch (const EBitmapLoadingFailed& e) {
        if (e.Message() != QStringLiteral("Loading bitmap failed (%1).").arg(picturePath))
            fail("wrong message for a picture that failed to load");
        if (bitmap.Image().cacheKey() != previous.cacheKey() || changes != 0)
            fail("a failed load changed the picture");
        return 0;
    } catch (const EFOpenError&) {
        fail("a file just written could not be opened");
    }
    const QImage& image = bitmap.Image();
    if (image.isNull() || changes != 1) fail("success without a new picture");
    if (image.width() > PictureSize::MaxSide || image.height() > PictureSize::MaxSide)
        fail("a picture larger than the view may hold");
    if (image.format() != QImage::Format_ARGB32_Premultiplied) fail("not premultiplied");
    // Every pixel, premultiplied: no colour above its alpha. A buffer shorter
    // than the picture claims shows as an overflow here.
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            if (qRed(p) > qAlpha(p) || qGreen(p) > qAlpha(p) || qBlue(p) > qAlpha(p))
                fail("a colour above its alpha");
        }
    }
    return 0;
}
