#pragma once

#include <QtGlobal>
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "JpegScanLayout.h"

class PositionalFile;

// Passes over a baseline JPEG's entropy-coded data without decoding the
// blocks, only to learn where a row of units begins and what the decoder
// would know there (the DC predictors): the place another decoder can start
// from. About a third of the cost of decoding the same data.
class JpegEntropyScanner {
public:
    // A bit of the file where a row of units begins.
    struct Place {
        qint64 offset = 0;  // the byte holding it
        int bit = 0;        // counted from the byte's high bit
        int unitRow = 0;
        std::array<int64_t, 4> predictors{};
    };

    JpegEntropyScanner(const PositionalFile& file, const JpegScanLayout& layout, qint64 dataStart);

    // Passes from the start of the data to the first row of units, a whole
    // number of steps in and after the first step, that begins at or past
    // `offset`, stopping short of the last step; the place of that row in
    // `at` and of the step before in `before`. False when the data ends,
    // holds a marker or a code no table has before it, or `stop` is set.
    bool Find(qint64 offset, Place& before, Place& at, const std::atomic<bool>& stop);

private:
    // At least 56 bits in the register, unless the data has ended.
    bool Fill();
    bool LoadSlow();
    Place Here(int unitRow) const;

    const PositionalFile& file_;
    const JpegScanLayout& layout_;
    std::vector<uint8_t> buffer_;
    qint64 base_ = 0;  // the file offset of buffer_[0]
    size_t next_ = 0;  // the next byte to load into bits_
    size_t end_ = 0;
    uint64_t bits_ = 0;  // left-aligned
    int count_ = 0;
    bool stopped_ = false;  // a marker, the end or an error: no more bits
};
