#include "TBitmap.h"

#include <QDir>
#include <QFileInfo>

#include "TLoadProgress.h"
#include "framework/core/Exception.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFile.h"

namespace {

// Paths are shown with the system's own separators: backslashes on Windows,
// where Qt hands them over with slashes.

// "Cannot open file "<full path>". <the system's text for the error>"
EFOpenError CannotOpen(const QString& path, int systemError) {
    return EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                qt_error_string(systemError)));
}

// "Loading bitmap failed (<path as given>)."
EBitmapLoadingFailed LoadingFailed(const QString& path) {
    return EBitmapLoadingFailed(
        QStringLiteral("Loading bitmap failed (%1).").arg(QDir::toNativeSeparators(path)));
}

}  // namespace

TBitmap::TBitmap(QImage image) : image_(Normalised(std::move(image))) {}

void TBitmap::Assign(const TBitmap* source) {
    if (source == this) return;
    SetImage(source ? source->image_ : QImage());
}

void TBitmap::LoadFromFile(const QString& path) {
    const PictureFile::Opened opened = PictureFile::OpenForReading(path);
    switch (opened.failure) {
        case PictureFile::Failure::CannotOpen:
            throw CannotOpen(path, opened.systemError);
        case PictureFile::Failure::NotAFile:
            throw LoadingFailed(path);
        case PictureFile::Failure::None:
            break;
    }
    QImage image;
    {
        TLoadProgress progress(OnLoadProgress);
        image = PictureDecoder::Decode(
            *opened.file, [&progress](qint64 done, qint64 total) { progress.Report(done, total); });
    }
    if (image.isNull()) throw LoadingFailed(path);
    SetImage(std::move(image));
}

void TBitmap::SetImage(QImage image) {
    // The same pixels (or none again) change nothing.
    if (image.cacheKey() == image_.cacheKey()) return;
    image_ = Normalised(std::move(image));
    if (OnChange) OnChange();
}

void TBitmap::Adopt(QImage image, bool opaque) {
    image_ = Normalised(std::move(image));
    if (!opaque || image_.isNull()) return;
    opaqueKey_ = image_.cacheKey();
    opaque_ = true;
}

bool TBitmap::IsOpaque() const {
    if (image_.isNull()) return false;
    if (opaqueKey_ == image_.cacheKey()) return opaque_;
    // Premultiplied pixels are opaque when their alpha byte is full; all
    // alphas ANDed together tell it in one pass that the compiler vectorises.
    const int width = image_.width();
    QRgb all = 0xFFFFFFFF;
    for (int y = 0; y < image_.height() && qAlpha(all) == 0xFF; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
        for (int x = 0; x < width; ++x) all &= row[x];
    }
    opaqueKey_ = image_.cacheKey();
    opaque_ = qAlpha(all) == 0xFF;
    return opaque_;
}

QImage TBitmap::Normalised(QImage image) {
    if (image.isNull()) return {};
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}
