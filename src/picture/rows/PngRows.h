#pragma once

#include <cstddef>
#include <cstdint>

// Row operations for PNG data.
namespace PngRows {

// Undoes a row's filter in place. `above` is the row before, already
// unfiltered, or all zeros for the first row of a picture; `bpp` the bytes
// a pixel, or 1 for pixels of less than a byte. False for a filter type PNG
// doesn't define.
bool Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
              std::size_t bpp = 4);

// Writes 8-bit RGBA pixels as Format_ARGB32_Premultiplied: opaque pixels are only
// reordered, the others premultiplied exactly as Qt does it. Returns whether
// every pixel was opaque.
bool ToArgb32Premultiplied(const std::uint8_t* rgba, std::uint32_t* out, std::size_t pixels);

}  // namespace PngRows
