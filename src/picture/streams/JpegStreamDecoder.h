#pragma once

#include "ReadProgress.h"
#include "StreamOutcome.h"

class QIODevice;

// Decodes a JPEG file row by row into a picture of the kept size (libjpeg
// underneath). A large picture is first reduced by the decoder itself, in the
// DCT, by a power of two that still leaves at least the kept size; the exact
// size then comes from averaging. A progressive file needs all its
// coefficients in memory before the first row, so it is held to the image
// readers' bound; a truncated or corrupt one fails rather than showing grey.
//
// Pipelined, a worker does libjpeg's part (reading, entropy decoding, the
// DCT, colour conversion) into a bounded ring of rows, and the calling
// thread shrinks them and tells the progress.
class JpegStreamDecoder {
public:
    explicit JpegStreamDecoder(QIODevice& device) : device_(device) {}

    // The device is read from its current position.
    StreamOutcome Decode();
    // The same on two cores: the device is read by the worker while it
    // runs, and `progress` is told on the calling thread only. Declined
    // when no thread can be had.
    StreamOutcome DecodePipelined(ReadProgress::TWatcher progress = {});

private:
    StreamOutcome Run(bool pipelined, ReadProgress::TWatcher progress);

    QIODevice& device_;
};
