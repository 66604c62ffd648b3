#include "TBitmapItem.h"

#include <QBuffer>
#include <QtDebug>

#include "PictureDecoder.h"

TBitmap& TBitmapItem::Bitmap() {
    if (!compressed_.isEmpty()) {
        QBuffer buffer(&compressed_);
        buffer.open(QIODevice::ReadOnly);
        QImage image = PictureDecoder::Decode(buffer);
        buffer.close();
        if (image.isNull()) qWarning("A picture stored with the window can't be decoded.");
        // The compressed copy is not needed again, whatever the outcome.
        compressed_ = QByteArray();
        bitmap_.Adopt(std::move(image));
    }
    return bitmap_;
}

void TBitmapItem::SetCompressed(QByteArray bytes, QSize recordedSize) {
    compressed_ = std::move(bytes);
    recordedSize_ = recordedSize;
    bitmap_.Adopt(QImage());
    if (bitmap_.OnChange) bitmap_.OnChange();
}

void TBitmapItem::SetOnChange(std::function<void()> onChange) {
    bitmap_.OnChange = std::move(onChange);
}
