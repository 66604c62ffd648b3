#pragma once

#include "ReadProgress.h"
#include "StreamOutcome.h"

class QIODevice;

// Decodes the first page of a TIFF file row by row into a picture of the
// kept size (libtiff underneath). It takes the common layouts: strips or
// tiles of interleaved unsigned samples; grey of 1 or 8 bits, black or white
// as zero, and of 16 bits, black as zero; palette of 8 bits; RGB of 8 or 16
// bits with or without alpha; JPEG-compressed YCbCr. Others (separate
// planes, CMYK, Lab, floating point, tiles too large to hold a row of, ...)
// are declined and left to the image readers.
//
// Pipelined, a worker does libtiff's part (reading and decompressing) into a
// bounded ring of rows, and the calling thread converts and shrinks them
// and tells the progress.
class TiffStreamDecoder {
public:
    explicit TiffStreamDecoder(QIODevice& device) : device_(device) {}

    // The device is read from its current position, where the file starts.
    StreamOutcome Decode();
    // The same on two cores: the device is read by the worker while it
    // runs, and `progress` is told on the calling thread only. Declined
    // when no thread can be had.
    StreamOutcome DecodePipelined(ReadProgress::TWatcher progress = {});

private:
    StreamOutcome Run(bool pipelined, ReadProgress::TWatcher progress);

    QIODevice& device_;
};
