#include "TBitmapItem.h"

#include <QBuffer>
#include <QImageReader>

TBitmap& TBitmapItem::Bitmap() {
    if (!compressed_.isEmpty()) {
        QBuffer buffer(&compressed_);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        QImage image = reader.read();
        buffer.close();
        // The compressed copy is not needed again, whatever the outcome.
        compressed_ = QByteArray();
        bitmap_.SetImage(std::move(image));
    }
    return bitmap_;
}

void TBitmapItem::SetCompressed(QByteArray bytes, QSize recordedSize) {
    compressed_ = std::move(bytes);
    recordedSize_ = recordedSize;
}
