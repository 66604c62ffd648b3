#pragma once

#include <QImage>

#include "MappedBuffer.h"

// Pictures whose pixels live in a MappedBuffer: a large picture is written
// into fresh memory once, in the pages its writer does that cheapest in
// (MappedBuffer::Pages). The buffer goes back to the system with the last
// copy of the picture.
namespace MappedImage {
// A picture of this size and format, zero-filled; null when the memory
// can't be had.
QImage Create(QSize size, QImage::Format format,
              MappedBuffer::Pages pages = MappedBuffer::Pages::Huge);
// The picture over a buffer already written, rows `stride` bytes apart.
QImage Adopt(MappedBuffer buffer, QSize size, qsizetype stride, QImage::Format format);
}  // namespace MappedImage
