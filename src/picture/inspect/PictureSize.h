#pragma once

#include <QSize>
#include <QtGlobal>

// The sizes a loaded picture may have.
namespace PictureSize {

// The largest side of a picture kept in memory.
constexpr int MaxSide = 8192;
// The most pixels a file may declare when the image readers decode it: they
// allocate them all before shrinking, so this bounds what a file can make us
// allocate (16384 x 16384, 1 GiB at four bytes a pixel).
constexpr qint64 MaxDeclaredPixels = qint64(16384) * 16384;
// The bounds for pictures decoded row by row and shrunk as they come (PNG,
// JPEG, TIFF): their memory goes with the kept size and one source row, not
// with the source, so only the time, linear in the pixels, limits them (1
// gigapixel, 40000 x 25000 for one). A row is held whole, so its width has a
// bound of its own.
constexpr qint64 MaxStreamedPixels = qint64(1) << 30;
constexpr int MaxStreamedWidth = 1 << 20;

// Whether a file declaring this size may be decoded by the image readers.
bool Admissible(QSize declared);
// Whether a file declaring this size may be decoded row by row.
bool AdmissibleStreamed(QSize declared);

// The size a picture is kept at: its own when no side exceeds MaxSide,
// otherwise shrunk to fit MaxSide x MaxSide with its aspect ratio, the longer
// side exactly MaxSide, the shorter one truncated (but never below 1).
QSize Shrunk(QSize source);

}  // namespace PictureSize
