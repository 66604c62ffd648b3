#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One Huffman table of a JPEG scan, as its DHT segment gives it (code counts
// by length and the symbols in code order), for reading symbols from the
// entropy-coded data and writing symbols of its own.
//
// Reading skips: a lookup on the next few bits gives the whole length of as
// many AC symbols as lie in them, codes and magnitude bits, and where they
// leave the coefficient index, so passing over a block costs a lookup for
// every symbol or few.
class JpegHuffmanTable {
public:
    static constexpr int kLookahead = 11;

    // An AC symbol's advance that ends the block: past the last coefficient
    // from anywhere.
    static constexpr int kEnd = 64;

    // What the next kLookahead bits say of the AC symbols at their front,
    // for passing over them: four bytes, so that a lookup is one load.
    struct Skip {
        // As many symbols as fit, code and magnitude, up to an end of block:
        // their bits, and the coefficients they pass (kEnd for an end of
        // block).
        uint8_t total = 0;
        uint8_t advance = 0;
        // They stay in one block when it has at least `reach` coefficients
        // to go; 255 when not even the first fits, and Look must be asked.
        uint8_t reach = 255;
        uint8_t unused = 0;  // four bytes make the index a scale of the load
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
