#include "PngRowExpander.h"

#include "RowConversion.h"

namespace {

constexpr int kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6;

int Channels(int colour) {
    switch (colour) {
        case kRgb:
            return 3;
        case kGreyAlpha:
            return 2;
        case kRgba:
            return 4;
        default:
            return 1;
    }
}

std::uint16_t Sample16(const std::uint8_t* at) {
    return std::uint16_t(at[0] << 8 | at[1]);
}

// libpng's rounding of a 16-bit sample, high byte first, to 8 bits.
std::uint8_t Scaled(const std::uint8_t* at) {
    std::int32_t value = at[0];
    value += ((int(at[1]) - value + 128) * 65535) >> 24;
    return std::uint8_t(value);
}

// A sample of less than a byte, the first in the high bits.
int Packed(const std::uint8_t* row, int x, int depth) {
    const int bit = x * depth;
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1 << depth) - 1);
}

}  // namespace

PngRowExpander::PngRowExpander(const Layout& layout)
    : layout_(layout), channels_(Channels(layout.colour)) {
    const std::size_t bits = std::size_t(layout.depth) * std::size_t(channels_);
    rowBytes_ = (std::size_t(layout.width) * bits + 7) / 8;
    filterBytes_ = bits < 8 ? 1 : bits / 8;
    const bool alpha = (layout.colour & 4) || layout.transparentColour || layout.paletteAlpha;
    wide_ = layout.depth == 16 && alpha;
    alpha_ = wide_   ? RowShrinker::Alpha::Premultiplied
             : alpha ? RowShrinker::Alpha::Straight
                     : RowShrinker::Alpha::Opaque;
    if (wide_) wideRow_.resize(std::size_t(layout.width) * 4);
}

void PngRowExpander::Expand(const std::uint8_t* row, QRgb* out) {
    if (wide_) return ExpandWide(row, out);
    const int width = layout_.width, depth = layout_.depth;
    const auto& t = layout_.transparent;
    const bool keyed = layout_.transparentColour;
    switch (layout_.colour) {
        case kGrey:
            if (depth == 16) {
                for (int x = 0; x < width; ++x, row += 2) {
                    const int v = Scaled(row);
                    out[x] = qRgb(v, v, v);
                }
            } else if (depth == 8) {
                for (int x = 0; x < width; ++x) {
                    const int v = row[x];
                    out[x] = qRgba(v, v, v, keyed && v == t[0] ? 0 : 255);
                }
            } else {
                const int scale = depth == 1 ? 255 : depth == 2 ? 85 : 17;
                for (int x = 0; x < width; ++x) {
                    const int raw = Packed(row, x, depth), v = raw * scale;
                    out[x] = qRgba(v, v, v, keyed && raw == t[0] ? 0 : 255);
                }
            }
            return;
        case kRgb:
            if (depth == 16) {
                for (int x = 0; x < width; ++x, row += 6)
                    out[x] = qRgb(Scaled(row), Scaled(row + 2), Scaled(row + 4));
            } else if (keyed) {
                for (int x = 0; x < width; ++x, row += 3)
                    out[x] = qRgba(row[0], row[1], row[2],
                                   row[0] == t[0] && row[1] == t[1] && row[2] == t[2] ? 0 : 255);
            } else {
                RowConversion::Rgb24(row, 3, -1, out, width);
            }
            return;
        case kPalette:
            if (depth == 8) {
                RowConversion::Indexed8(row, layout_.palette.data(), out, width);
            } else {
                for (int x = 0; x < width; ++x)
                    out[x] = layout_.palette[std::size_t(Packed(row, x, depth))];
            }
            return;
        case kGreyAlpha:
            for (int x = 0; x < width; ++x, row += 2)
                out[x] = qRgba(row[0], row[0], row[0], row[1]);
            return;
        default:
            RowConversion::Rgb24(row, 4, 3, out, width);
            return;
    }
}

// Sixteen bits with alpha, from a channel or a transparent colour: red,
// green, blue and alpha at 16 bits, premultiplied before rounding to 8.
void PngRowExpander::ExpandWide(const std::uint8_t* row, QRgb* out) {
    const int width = layout_.width;
    const auto& t = layout_.transparent;
    std::uint16_t* w = wideRow_.data();
    for (int x = 0; x < width; ++x, w += 4) {
        switch (layout_.colour) {
            case kGrey: {
                const std::uint16_t v = Sample16(row);
                w[0] = w[1] = w[2] = v;
                w[3] = v == t[0] ? 0 : 0xFFFF;
                row += 2;
                break;
            }
            case kRgb:
                w[0] = Sample16(row);
                w[1] = Sample16(row + 2);
                w[2] = Sample16(row + 4);
                w[3] = w[0] == t[0] && w[1] == t[1] && w[2] == t[2] ? 0 : 0xFFFF;
                row += 6;
                break;
            case kGreyAlpha:
                w[0] = w[1] = w[2] = Sample16(row);
                w[3] = Sample16(row + 2);
                row += 4;
                break;
            default:
                w[0] = Sample16(row);
                w[1] = Sample16(row + 2);
                w[2] = Sample16(row + 4);
                w[3] = Sample16(row + 6);
                row += 8;
                break;
        }
    }
    RowConversion::Rgba64(wideRow_.data(), out, width);
}
