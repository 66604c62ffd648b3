#pragma once

#include "ReadProgress.h"
#include "StreamOutcome.h"

class QIODevice;

// Decodes a PNG file on two cores: a worker reads the file, inflates its one
// zlib stream and unfilters the rows, which only one core can do as each
// needs what came before, into a bounded ring of rows; the calling thread
// expands and shrinks them, and tells the progress. Memory stays at the kept
// picture and a few rows.
//
// It takes every non-interlaced layout. What it declines, it has decided
// nothing about, and the single-threaded decoder (libpng with zlib) takes
// the file from the start: interlaced files, headers it doesn't vouch for,
// and anything odd after the rows (data past the end of the stream, a
// stream the fast inflater refuses) that libpng may judge otherwise. A file
// cut short or with a damaged chunk fails here.
class PipelinedPngDecoder {
public:
    // The device is read from its current position, by the worker while it
    // runs; `progress` is told on the calling thread only.
    PipelinedPngDecoder(QIODevice& device, ReadProgress::TWatcher progress = {})
        : device_(device), progress_(std::move(progress)) {}

    StreamOutcome Decode();

private:
    QIODevice& device_;
    ReadProgress::TWatcher progress_;
};
