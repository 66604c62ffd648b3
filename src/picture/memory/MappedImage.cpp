#include "MappedImage.h"

#include <limits>

namespace MappedImage {

namespace {

void Free(void* owner) {
    delete static_cast<MappedBuffer*>(owner);
}

}  // namespace

QImage Create(QSize size, QImage::Format format, MappedBuffer::Pages pages) {
    if (size.isEmpty()) return {};
    // What Qt itself would allocate, and its own check of the size.
    const QImage probe(1, 1, format);
    if (probe.isNull()) return {};
    const qsizetype stride = ((qsizetype(size.width()) * probe.depth() + 31) >> 5) << 2;
    if (stride <= 0 || size.height() > (std::numeric_limits<qsizetype>::max)() / stride) return {};
    MappedBuffer buffer(std::size_t(stride) * std::size_t(size.height()), pages);
    if (buffer.IsEmpty()) return {};
    return Adopt(std::move(buffer), size, stride, format);
}

QImage Adopt(MappedBuffer buffer, QSize size, qsizetype stride, QImage::Format format) {
    if (buffer.IsEmpty()) return {};
    uchar* data = buffer.Data();
    auto* owner = new MappedBuffer(std::move(buffer));
    QImage image(data, size.width(), size.height(), stride, format, Free, owner);
    if (image.isNull()) delete owner;
    return image;
}

}  // namespace MappedImage
