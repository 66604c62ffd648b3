#include "JpegHuffmanTable.h"

#include <memory>

bool JpegHuffmanTable::Build(const uint8_t counts[17], const uint8_t symbols[256], bool dc) {
    std::array<uint8_t, 257> sizes{};
    std::array<uint32_t, 257> codes{};
    int count = 0;
    for (int length = 1; length <= 16; ++length) {
        if (count + counts[length] > 256) return false;
        for (int i = 0; i < counts[length]; ++i) sizes[size_t(count++)] = uint8_t(length);
    }
    // Canonical codes: consecutive within a length, doubled between lengths;
    // a set of lengths that runs out of codes is no table.
    uint32_t code = 0;
    int size = sizes[0];
    for (int p = 0; p < count;) {
        while (p < count && sizes[size_t(p)] == size) codes[size_t(p++)] = code++;
        // One past the last code of the length must still fit in it: no
        // code is all ones.
        if (code >= (uint32_t(1) << size)) return false;
        code <<= 1;
        ++size;
    }
    maxCode_.fill(-1);
    offset_.fill(0);
    codeLength_.fill(0);
    skips_.fill({});
    lookup_.fill({});
    for (int p = 0, length = 1; length <= 16; ++length) {
        if (counts[length] == 0) continue;
        offset_[size_t(length)] = p - int32_t(codes[size_t(p)]);
        p += counts[length];
        maxCode_[size_t(length)] = int32_t(codes[size_t(p - 1)]);
    }
    // Past the longest: every code is larger than -1 and smaller than this.
    maxCode_[17] = 0x7FFFFFFF;
    for (int p = 0; p < count; ++p) {
        const uint8_t symbol = symbols[p];
        if (dc && symbol > 15) return false;
        symbols_[size_t(p)] = symbol;
        // The first code of a symbol given twice is the one written.
        if (codeLength_[symbol] == 0) {
            codeLength_[symbol] = sizes[size_t(p)];
            code_[symbol] = codes[size_t(p)];
        }
        const int length = sizes[size_t(p)];
        if (length > kLookahead) continue;
        const int run = symbol >> 4, magnitude = symbol & 15;
        const Symbol entry{uint8_t(length), symbol};
        Skip skip;
        if (length + magnitude <= kLookahead) {
            skip.total = uint8_t(length + magnitude);
            // What the coefficient loop does with the symbol: a magnitude
            // takes the run and one coefficient, sixteen zeros take sixteen,
            // anything else ends the block.
            skip.advance = uint8_t(magnitude ? run + 1 : run == 15 ? 16 : kEnd);
            skip.reach = 1;
        }
        const int spare = kLookahead - length;
        const uint32_t first = codes[size_t(p)] << spare;
        for (uint32_t i = 0; i < (uint32_t(1) << spare); ++i) {
            lookup_[first + i] = entry;
            skips_[first + i] = skip;
        }
    }
    if (dc) return true;
    // The symbols that follow the first in the bits it leaves, while their
    // codes and magnitudes lie wholly in them. Each entry's own symbol is
    // read from a copy of the entries as they were.
    constexpr uint32_t kMask = (uint32_t(1) << kLookahead) - 1;
    const auto singles = std::make_unique<std::array<Skip, kMask + 1>>(skips_);
    for (uint32_t i = 0; i <= kMask; ++i) {
        Skip& entry = skips_[i];
        if (entry.reach != 1) continue;
        int total = entry.total, advance = entry.advance, before = 0;
        while (advance < kEnd && total < kLookahead) {
            const Skip& next = (*singles)[(i << total) & kMask];
            if (next.reach != 1 || next.total > kLookahead - total) break;
            before = advance;
            total += next.total;
            advance = next.advance == kEnd ? kEnd : advance + next.advance;
        }
        entry.total = uint8_t(total);
        entry.advance = uint8_t(advance);
        entry.reach = uint8_t(before + 1);
    }
    return true;
}

int JpegHuffmanTable::Decode(uint64_t leftAligned, int& length) const {
    int32_t code = 0;
    for (length = 1; length <= 16; ++length) {
        code = int32_t(leftAligned >> (64 - length));
        if (code <= maxCode_[size_t(length)])
            return symbols_[size_t((code + offset_[size_t(length)]) & 0xFF)];
    }
    length = 0;
    return 0;
}
