#pragma once

#include <QSize>
#include <QtGlobal>

// The sizes a loaded picture may have.
namespace PictureSize {

// The largest side of a picture kept in memory.
constexpr int MaxSide = 8192;
// The most pixels a file may declare: decoding one allocates them all before
// shrinking, so this bounds what a file can make us allocate (16384 x 16384,
// 1 GiB at four bytes a pixel).
constexpr qint64 MaxDeclaredPixels = qint64(16384) * 16384;

// Whether a file declaring this size may be decoded.
bool Admissible(QSize declared);

// The size a picture is kept at: its own when no side exceeds MaxSide,
// otherwise shrunk to fit MaxSide x MaxSide with its aspect ratio, the longer
// side exactly MaxSide, the shorter one truncated (but never below 1).
QSize Shrunk(QSize source);

}  // namespace PictureSize
