#pragma once

#include "StreamOutcome.h"

class QIODevice;

// Decodes a JPEG file row by row into a picture of the kept size (libjpeg
// underneath). A large picture is first reduced by the decoder itself, in the
// DCT, by a power of two that still leaves at least the kept size; the exact
// size then comes from averaging. A progressive file needs all its
// coefficients in memory before the first row, so it is held to the image
// readers' bound; a truncated or corrupt one fails rather than showing grey.
class JpegStreamDecoder {
public:
    explicit JpegStreamDecoder(QIODevice& device) : device_(device) {}

    // The device is read from its current position.
    StreamOutcome Decode();

private:
    QIODevice& device_;
};
