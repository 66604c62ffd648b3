#include "PngSegmentIndex.h"

#include "picture/inspect/BigEndian.h"

namespace PngSegmentIndex {

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value) {
    // A byte at a time: GCC 12 at -O3 takes the range insert for a write
    // past the end (-Warray-bounds).
    for (const std::uint8_t byte : BigEndian::Bytes32(value)) out.push_back(byte);
}

}  // namespace

std::vector<std::uint8_t> Encode(std::span<const std::uint32_t> segmentRows) {
    std::vector<std::uint8_t> out{Version};
    Put(out, std::uint32_t(segmentRows.size()));
    for (std::uint32_t rows : segmentRows) Put(out, rows);
    return out;
}

std::optional<std::vector<std::uint32_t>> Parse(std::span<const std::uint8_t> payload) {
    if (payload.size() < 5 || payload[0] != Version) return std::nullopt;
    const std::uint32_t count = BigEndian::Read32(payload.data() + 1);
    if (count == 0 || (payload.size() - 5) / 4 != count || (payload.size() - 5) % 4 != 0)
        return std::nullopt;
    std::vector<std::uint32_t> rows(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        rows[i] = BigEndian::Read32(payload.data() + 5 + 4 * i);
        if (rows[i] == 0) return std::nullopt;
    }
    return rows;
}

}  // namespace PngSegmentIndex
