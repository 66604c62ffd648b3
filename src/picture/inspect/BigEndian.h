#pragma once

#include <QtEndian>
#include <array>
#include <cstdint>

// 16-, 32- and 64-bit values stored most significant byte first, as PNG, the
// icon container and JPEG's segment lengths store them, read from and
// written to bytes in memory. Any alignment will do.
namespace BigEndian {

inline std::uint16_t Read16(const void* at) {
    return qFromBigEndian<std::uint16_t>(at);
}

inline std::uint32_t Read32(const void* at) {
    return qFromBigEndian<std::uint32_t>(at);
}

inline std::uint64_t Read64(const void* at) {
    return qFromBigEndian<std::uint64_t>(at);
}

inline void Write32(std::uint32_t value, void* at) {
    qToBigEndian(value, at);
}

// The four bytes of a value, for appending to a stream of them.
inline std::array<std::uint8_t, 4> Bytes32(std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    Write32(value, bytes.data());
    return bytes;
}

}  // namespace BigEndian
