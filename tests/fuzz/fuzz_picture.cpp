// Any bytes at all, as a picture file chosen in the open dialog: loading
// either gives a picture the view can hold or fails with one of its two
// messages, and a failure leaves the picture as it was. Crashes, hangs,
// leaks and allocations beyond the decoder's bound are libFuzzer's to catch;
// the bound comes from the decoder itself, so the limits follow it.

#include <QGuiApplication>
#include <cstdint>

#include "FuzzPictureFile.h"
#include "framework/core/Exception.h"
#include "framework/stock/TBitmap.h"
#include "picture/PictureDecoder.h"
#include "picture/inspect/PictureSize.h"

namespace {

QString picturePath;

[[noreturn]] void fail(const char* what) {
    FuzzPictureFile::Fail("fuzz_picture", what);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Decoders for vector pictures draw text, which needs the GUI side.
    picturePath = FuzzPictureFile::Start(argc, argv, PictureDecoder::ReaderAllocationLimitMB,
                                         QStringLiteral("picture"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!FuzzPictureFile::Write(picturePath, data, size)) fail("could not write the picture file");
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
