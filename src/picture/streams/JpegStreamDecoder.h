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
// thread shrinks them and tells the progress. A large baseline picture in a
// file is also cut in two: while the worker decodes the upper part, a second
// one passes over the same data to a row where the lower part may begin,
// then decodes and shrinks the lower part as a file of its own. The rows are
// the same either way.
class JpegStreamDecoder {
public:
    // Where a picture is cut: passing over data costs about half as much as
    // decoding it, so the upper part takes the larger share and the two
    // threads end together (with the shrinking on the decoding thread).
    // Pictures with less entropy-coded data than `leastBytes` are not cut:
    // one thread would be done before the other had begun.
    struct Split {
        qint64 leastBytes = qint64(4) << 20;
        double upperShare = 0.7;
        // The upper part waits to begin until the lower part has cut, or
        // found it can't: the cut whatever the timing, as tests want it.
        bool upperWaits = false;
    };

    explicit JpegStreamDecoder(QIODevice& device) : device_(device) {}
    JpegStreamDecoder(QIODevice& device, Split split) : device_(device), split_(split) {}

    // The device is read from its current position.
    StreamOutcome Decode();
    // The same on two cores: the device is read by the worker while it
    // runs, and `progress` is told on the calling thread only. Declined
    // when no thread can be had.
    StreamOutcome DecodePipelined(ReadProgress::TWatcher progress = {});
    // Whether the last pipelined decode was cut in two.
    bool WasSplit() const { return wasSplit_; }

private:
    StreamOutcome Run(bool pipelined, ReadProgress::TWatcher progress);

    QIODevice& device_;
    Split split_;
    bool wasSplit_ = false;
};
