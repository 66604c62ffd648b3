#pragma once

#include "StreamOutcome.h"

class QIODevice;

// Decodes the first page of a TIFF file row by row into a picture of the
// kept size (libtiff underneath). It takes the common layouts: strips or
// tiles of interleaved unsigned samples; grey of 1 or 8 bits, black or white
// as zero, and of 16 bits, black as zero; palette of 8 bits; RGB of 8 or 16
// bits with or without alpha; JPEG-compressed YCbCr. Others (separate
// planes, CMYK, Lab, floating point, tiles too large to hold a row of, ...)
// are declined and left to the image readers.
class TiffStreamDecoder {
public:
    explicit TiffStreamDecoder(QIODevice& device) : device_(device) {}

    // The device is read from its current position, where the file starts.
    StreamOutcome Decode();

private:
    QIODevice& device_;
};
