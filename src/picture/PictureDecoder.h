#pragma once

#include <QImage>
#include <functional>

class QIODevice;

// Turns the bytes of a picture file into the pixels a TBitmap keeps.
namespace PictureDecoder {

// The readers' own allocation guard, in megabytes: enough for the largest
// picture PictureSize admits in the widest pixel format a reader allocates
// (16 bytes a pixel).
constexpr int ReaderAllocationLimitMB = 4096;

// The first frame of the picture in the device, read from its current
// position: format recognised from the content alone, no metadata applied
// (orientation, colour profile, gamma), shrunk to PictureSize::Shrunk, in
// Format_ARGB32_Premultiplied. PNG, JPEG and TIFF are decoded row by row and
// shrunk as the rows come, up to PictureSize::AdmissibleStreamed; their
// variants that can't be (interlaced PNG, tiled TIFF, ...) and every other
// format go to the image readers, up to PictureSize::Admissible. A null
// image when nothing recognises the content, the pixels can't be decoded,
// or the file declares more pixels than admitted (refused before anything
// is allocated for them). `progress`, when given, is told after every read
// how far into the device the decoding has read, and its size.
QImage Decode(QIODevice& device,
              const std::function<void(qint64 position, qint64 size)>& progress = {});

}  // namespace PictureDecoder
