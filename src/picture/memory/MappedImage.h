#pragma once

#include <QImage>

#include "MappedBuffer.h"

// Pictures whose pixels live in a MappedBuffer: a large picture is written
// into fresh memory once, and with huge pages that first write costs a
// fraction of what it does a 4 KiB page at a time. The buffer goes back to
// the system with the last copy of the picture.
namespace MappedImage {
// A picture of this size and format, zero-filled; null when the memory
// can't be had.
QImage Create(QSize size, QImage::Format format);
// The picture over a buffer already written, rows `stride` bytes apart.
QImage Adopt(MappedBuffer buffer, QSize size, qsizetype stride, QImage::Format format);
}  // namespace MappedImage
