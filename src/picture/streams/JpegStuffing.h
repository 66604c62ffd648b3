#pragma once

#include <cstdint>

// In JPEG's entropy-coded data a 0xFF byte is either a stuffed one,
// followed by 0x00, or the start of a marker: eight bytes without one can
// be taken as they are.
namespace JpegStuffing {

inline bool HasFF(std::uint64_t eightBytes) {
    const std::uint64_t inverse = ~eightBytes;
    return ((inverse - 0x0101010101010101ull) & ~inverse & 0x8080808080808080ull) != 0;
}

}  // namespace JpegStuffing
