#pragma once

#include "StreamOutcome.h"

class QIODevice;

// Decodes a PNG file row by row into a picture of the kept size, so that
// memory goes with that size and not with the file's (libpng underneath).
// Interlaced files are declined: their last pass completes every row, so
// they can't be taken a row at a time.
class PngStreamDecoder {
public:
    explicit PngStreamDecoder(QIODevice& device) : device_(device) {}

    // The device is read from its current position.
    StreamOutcome Decode();

private:
    QIODevice& device_;
};
