#include "TBitmapItem.h"

#include <QBuffer>
#include <QtDebug>

#include "picture/BackgroundDecode.h"
#include "picture/PictureDecoder.h"
#include "picture/memory/ResidentPages.h"

TBitmapItem::TBitmapItem(float scale) : scale_(scale > 0 ? scale : 1) {}

TBitmapItem::~TBitmapItem() = default;

TBitmap& TBitmapItem::Bitmap() {
    if (!compressed_.isEmpty()) {
        bool opaque = false;
        QImage image = decode_ ? decode_->Take(&opaque) : QImage();
        decode_.reset();
        if (image.isNull()) {
            QBuffer buffer(&compressed_);
            buffer.open(QIODevice::ReadOnly);
            image = PictureDecoder::Decode(buffer);
        }
        if (image.isNull()) qWarning("A picture stored with the window can't be decoded.");
        // The compressed copy is not needed again, whatever the outcome.
        ReleaseCompressed();
        bitmap_.Adopt(std::move(image), opaque);
    }
    return bitmap_;
}

void TBitmapItem::SetCompressed(QByteArray bytes, QSize recordedSize) {
    SetCompressed(std::move(bytes), recordedSize, nullptr);
}

void TBitmapItem::SetCompressed(QByteArray bytes, QSize recordedSize,
                                std::unique_ptr<BackgroundDecode> started) {
    decode_.reset();
    ReleaseCompressed();
    compressed_ = std::move(bytes);
    recordedSize_ = recordedSize;
    bitmap_.Adopt(QImage());
    decode_ = started ? std::move(started) : BackgroundDecode::Start(compressed_);
    if (bitmap_.OnChange) bitmap_.OnChange();
}

void TBitmapItem::ReleaseCompressed() {
    // Bytes read in place from the binary stay mapped; their pages are what
    // there is to give back.
    ResidentPages::GiveBack(QByteArrayView(compressed_));
    compressed_ = QByteArray();
}

void TBitmapItem::SetOnChange(std::function<void()> onChange) {
    bitmap_.OnChange = std::move(onChange);
}

void TBitmapItem::SetOnLoadProgress(std::function<void(double fraction)> onLoadProgress) {
    bitmap_.OnLoadProgress = std::move(onLoadProgress);
}
