#pragma once

#include <QRgb>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "RowShrinker.h"

// Unfiltered rows of a PNG picture, of any colour type and bit depth, turned
// into QRgb exactly as libpng's expansions give them to the single-threaded
// decoder: low depths scaled up by repeating their bits, 16 bits scaled
// down with rounding, unless alpha needs them (then premultiplied at 16
// bits first), a transparent colour becoming alpha.
class PngRowExpander {
public:
    struct Layout {
        int width = 0;
        int depth = 8;
        int colour = 0;  // PNG's colour type: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
        // A palette picture's colours, alpha from its transparency chunk;
        // entries past the palette's end are opaque black, as libpng leaves
        // them.
        std::array<QRgb, 256> palette{};
        bool paletteAlpha = false;  // whether the palette has a transparency chunk
        bool transparentColour = false;
        std::array<std::uint16_t, 3> transparent{};  // grey in the first
    };

    explicit PngRowExpander(const Layout& layout);

    // The bytes of an unfiltered row, and of a pixel as the filters count it.
    std::size_t RowBytes() const { return rowBytes_; }
    std::size_t FilterBytes() const { return filterBytes_; }
    RowShrinker::Alpha Alpha() const { return alpha_; }

    void Expand(const std::uint8_t* row, QRgb* out);

private:
    void ExpandWide(const std::uint8_t* row, QRgb* out);

    Layout layout_;
    int channels_ = 1;
    std::size_t rowBytes_ = 0;
    std::size_t filterBytes_ = 1;
    RowShrinker::Alpha alpha_ = RowShrinker::Alpha::Opaque;
    bool wide_ = false;
    std::vector<std::uint16_t> wideRow_;
};
