#include "TBitmap.h"

#include "PictureDecoder.h"
#include "PictureFile.h"

TBitmap::TBitmap(QImage image) : image_(Normalised(std::move(image))) {}

void TBitmap::Assign(const TBitmap* source) {
    if (source == this) return;
    SetImage(source ? source->image_ : QImage());
}

void TBitmap::LoadFromFile(const QString& path) {
    const std::unique_ptr<QFile> file = PictureFile::OpenForReading(path);
    QImage image = PictureDecoder::Decode(*file);
    if (image.isNull()) throw PictureFile::LoadingFailed(path);
    SetImage(std::move(image));
}

void TBitmap::SetImage(QImage image) {
    // The same pixels (or none again) change nothing.
    if (image.cacheKey() == image_.cacheKey()) return;
    image_ = Normalised(std::move(image));
    if (OnChange) OnChange();
}

void TBitmap::Adopt(QImage image) {
    image_ = Normalised(std::move(image));
}

QImage TBitmap::Normalised(QImage image) {
    if (image.isNull()) return {};
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}
