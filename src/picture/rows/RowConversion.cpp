#include "RowConversion.h"

#include <algorithm>

#include <QRgba64>

namespace RowConversion {

void Rgba64(const quint16* in, QRgb* out, int width) {
    for (int x = 0; x < width; ++x, in += 4)
        out[x] = qPremultiply(qRgba64(in[0], in[1], in[2], in[3])).toArgb32();
}

void Rgb48(const quint16* in, int stride, QRgb* out, int width) {
    for (int x = 0; x < width; ++x, in += stride)
        out[x] = qRgba64(in[0], in[1], in[2], 0xFFFF).toArgb32();
}

void Rgb24(const uchar* in, int stride, int alpha, QRgb* out, int width) {
    for (int x = 0; x < width; ++x, in += stride)
        out[x] = qRgba(in[0], in[1], in[2], alpha < 0 ? 255 : in[alpha]);
}

void Grey8(const uchar* in, int stride, QRgb* out, int width) {
    for (int x = 0; x < width; ++x, in += stride) out[x] = qRgb(in[0], in[0], in[0]);
}

void Grey16(const quint16* in, int stride, QRgb* out, int width) {
    for (int x = 0; x < width; ++x, in += stride)
        out[x] = qRgba64(in[0], in[0], in[0], 0xFFFF).toArgb32();
}

void Bits(const uchar* in, QRgb zero, QRgb one, QRgb* out, int width) {
    for (int x = 0; x < width; ++x) out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1 ? one : zero;
}

void Indexed8(const uchar* in, const QRgb* table, QRgb* out, int width) {
    for (int x = 0; x < width; ++x) out[x] = table[in[x]];
}

void HoldToAlpha(QRgb* pixels, int width) {
    for (QRgb* end = pixels + width; pixels != end; ++pixels) {
        const int alpha = qAlpha(*pixels);
        if (alpha == 255) continue;
        *pixels = qRgba(std::min(qRed(*pixels), alpha), std::min(qGreen(*pixels), alpha),
                        std::min(qBlue(*pixels), alpha), alpha);
    }
}

}  // namespace RowConversion
