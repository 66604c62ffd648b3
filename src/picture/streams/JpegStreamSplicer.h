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
// with the height changed, a step of units made up here, then the file's
// entropy-coded data from that row on, byte for byte.
//
// The made-up step leaves each component's DC predictor where the whole
// file has it at the row, and is as many bits long as puts the row's first
// bit where it is in its byte: the file's bytes then follow as they stand,
// and every block decodes as in the whole file, to the data's last bit.
// Its rows, and the found row's, which give the rows below what they see
// above, are the decoder's to pass over.
class JpegStreamSplicer {
public:
    // The steps a decoder of the new file passes over: the made-up one and
    // the found one.
    static constexpr int kStepsBefore = 2;

    // `header`: the file's bytes from its start through the scan's header;
    // `pictureRows`: the picture's rows from `start` on. IsValid false when
    // the height can't be found or written, or the step can't be made with
    // the file's tables.
    JpegStreamSplicer(const PositionalFile& file, const JpegScanLayout& layout, QByteArray header,
                      int pictureRows, const JpegEntropyScanner::Place& start);

    bool IsValid() const { return valid_; }

    // The next bytes of the new file, up to `capacity` (at least 64): the
    // count written, 0 once the file's bytes are all out. The file ends
    // early at data libjpeg reads its own way, so that its decoder fails.
    size_t Next(uint8_t* out, size_t capacity);
    // How far into the file the new one has been read.
    qint64 Position() const { return in_; }

private:
    enum class Phase { Head, Data, Tail, Done };

    bool WriteStep(const JpegEntropyScanner::Place& start);
    bool JoinFile(const JpegEntropyScanner::Place& start);
    // Reads the file from in_ into the input buffer; false at its end.
    bool Refill();
    void Put(uint32_t bits, int count);
    size_t Copy(uint8_t* out, size_t capacity);

    const PositionalFile& file_;
    const JpegScanLayout& layout_;
    bool valid_ = false;
    Phase phase_ = Phase::Head;
    // What goes out before the file's data: the header and the made-up step.
    std::vector<uint8_t> head_;
    size_t headOut_ = 0;
    // Bits written but not yet a whole byte, right-aligned.
    uint32_t pending_ = 0;
    int pendingCount_ = 0;
    bool afterFill_ = false;  // the last byte copied was 0xFF fill
    std::vector<uint8_t> input_;
    size_t inputAt_ = 0;
    size_t inputEnd_ = 0;
    qint64 in_ = 0;  // the file offset of input_[inputEnd_]
};
