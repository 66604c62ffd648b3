#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One Huffman table of a JPEG scan, as its DHT segment gives it (code counts
// by length and the symbols in code order), for reading symbols from the
// entropy-coded data and writing DC differences back into it.
//
// Reading skips: a lookup on the next few bits gives a symbol's whole length,
// its code and the magnitude bits that follow, and where an AC symbol leaves
// the coefficient index, and the same for two symbols where both fit, so
// passing over a block costs a lookup for every one or two symbols.
class JpegHuffmanTable {
public:
    static constexpr int kLookahead = 11;

    // What the next kLookahead bits say of the symbol at their front, for
    // passing over it: four bytes, so that a lookup is one load. `total` 0:
    // its code and magnitude don't both fit, and Look must be asked.
    struct Skip {
        uint8_t total = 0;    // code and magnitude bits
        uint8_t advance = 0;  // for AC: coefficients passed; 0 for end of block
        // The same for this symbol and the next, when both fit and this one
        // doesn't end the block; the same as for this one alone when not.
        uint8_t pairTotal = 0;
        uint8_t pairAdvance = 0;
    };
    // The symbol's code alone. `length` 0: the code is longer, and Decode
    // must be asked.
    struct Symbol {
        uint8_t length = 0;  // bits of the code
        uint8_t symbol = 0;  // run << 4 | size
    };

    // `counts[l]` codes of length l (1..16, counts[0] unused) and `symbols`
    // in code order; false when they don't make a Huffman table as the
    // decoder takes it (the same checks), or a DC symbol is over 15.
    bool Build(const uint8_t counts[17], const uint8_t symbols[256], bool dc);

    const Skip& LookSkip(uint64_t leftAligned) const {
        return skips_[leftAligned >> (64 - kLookahead)];
    }
    const Symbol& Look(uint64_t leftAligned) const {
        return lookup_[leftAligned >> (64 - kLookahead)];
    }
    // Decodes the symbol at the front of `leftAligned` (at least 16 valid
    // bits) the slow way; its code's length in `length`, 0 for a code no
    // table has, which a decoder takes as corrupt data.
    int Decode(uint64_t leftAligned, int& length) const;

    // The code that writes `symbol`, and its length; 0 when none does.
    int CodeLength(int symbol) const { return codeLength_[symbol & 0xFF]; }
    uint32_t Code(int symbol) const { return code_[symbol & 0xFF]; }

private:
    std::array<Skip, std::size_t(1) << kLookahead> skips_{};
    std::array<Symbol, std::size_t(1) << kLookahead> lookup_{};
    // The largest code of each length, -1 where none, and what turns a code
    // of that length into an index of symbols_.
    std::array<int32_t, 18> maxCode_{};
    std::array<int32_t, 17> offset_{};
    std::array<uint8_t, 256> symbols_{};
    std::array<uint32_t, 256> code_{};
    std::array<uint8_t, 256> codeLength_{};
};
