#pragma once

#include <QRgb>
#include <QtGlobal>

// Decoded rows of samples turned into QRgb, 0xAARRGGBB, the way the image
// readers' own conversions to Format_ARGB32_Premultiplied round them, so
// that a picture comes out the same whichever way it was decoded.
namespace RowConversion {

// Red, green, blue, alpha, 16 bits each in the machine's order, not
// premultiplied; out is premultiplied (rounded at 16 bits, then to 8).
void Rgba64(const quint16* in, QRgb* out, int width);
// Red, green, blue, 16 bits each, in `stride` samples a pixel; opaque.
void Rgb48(const quint16* in, int stride, QRgb* out, int width);
// Red, green, blue, then alpha at `alpha` (or none when negative), in
// `stride` bytes a pixel; alpha as stored.
void Rgb24(const uchar* in, int stride, int alpha, QRgb* out, int width);
// Premultiplied pixels as a file stored them, each colour held to at most
// its alpha: above it is no colour at all, and painting would overflow.
void HoldToAlpha(QRgb* pixels, int width);
// Grey, 8 or 16 bits, in `stride` samples a pixel; opaque.
void Grey8(const uchar* in, int stride, QRgb* out, int width);
void Grey16(const quint16* in, int stride, QRgb* out, int width);
// One bit a pixel, the first in the high bit; `one` and `zero` the colours.
void Bits(const uchar* in, QRgb zero, QRgb one, QRgb* out, int width);
// Indexes of 8 bits into a table of 256 colours.
void Indexed8(const uchar* in, const QRgb* table, QRgb* out, int width);

}  // namespace RowConversion
