#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>
#include <vector>

#include "JpegEntropyScanner.h"
#include "JpegScanLayout.h"

class PositionalFile;

// The lower part of a baseline JPEG, from a row of units a scanner found, as
// a JPEG file of its own that any decoder reads: the file's own markers
// with the height cut down, then its entropy-coded data from that row on.
// The data starts wherever the bit falls, so it is moved to a byte's start,
// and each component's first DC difference is written again as the DC value
// itself, the predictors starting from zero in a file of its own. Every
// block decodes as in the whole file, so the rows come out the same.
class JpegStreamSplicer {
public:
    // `header`: the file's bytes from its start through the scan's header.
    // IsValid false when the height can't be found in it or the row's first
    // unit can't be written again with the file's tables.
    JpegStreamSplicer(const PositionalFile& file, const JpegScanLayout& layout, QByteArray header,
                      int pictureRows, const JpegEntropyScanner::Place& start);

    bool IsValid() const { return valid_; }

    // The next bytes of the new file, up to `capacity` (at least 64): the
    // count written, 0 once the file's bytes are all out.
    size_t Next(uint8_t* out, size_t capacity);
    // Whether the new file ended inside the entropy-coded data, with no
    // marker after it: a file cut short, or data the splice can't carry.
    bool EndedEarly() const { return endedEarly_; }
    // How far into the file the new one has been read.
    qint64 Position() const { return in_; }

private:
    enum class Phase { Head, Data, Tail, Done };

    bool WriteFirstUnit(const JpegEntropyScanner::Place& start);
    // Reads the file from in_ into the input buffer; false at its end.
    bool Refill();
    void Put(uint32_t bits, int count);
    size_t Shift(uint8_t* out, size_t capacity);

    const PositionalFile& file_;
    const JpegScanLayout& layout_;
    bool valid_ = false;
    bool endedEarly_ = false;
    bool afterFill_ = false;  // the last byte moved on was 0xFF fill
    Phase phase_ = Phase::Head;
    // What goes out before the shifted data: the header, the first unit
    // written again, and the bits of the file up to a whole byte.
    std::vector<uint8_t> head_;
    size_t headOut_ = 0;
    // Bits written but not yet a whole byte, right-aligned.
    uint32_t pending_ = 0;
    int pendingCount_ = 0;
    std::vector<uint8_t> input_;
    size_t inputAt_ = 0;
    size_t inputEnd_ = 0;
    qint64 in_ = 0;  // the file offset of input_[inputEnd_]
};
