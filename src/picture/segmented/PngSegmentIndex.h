#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The private PNG chunk that lets the built-in chart be inflated in pieces.
//
// A segmented PNG keeps its one zlib stream, but ends a segment of rows with a
// full flush (no match reaches back across it, and the next segment starts on
// a byte boundary) and puts each segment into an IDAT chunk of its own: the
// first also holds the zlib header, the last the Adler-32. The first row of a
// segment never uses a filter that needs the row above. Any decoder reads the
// file as an ordinary PNG; one that knows this chunk can inflate and unfilter
// the segments independently.
//
// Payload: a version byte (1), the number of segments, then the rows of each
// segment in order, all unsigned 32-bit big-endian.
namespace PngSegmentIndex {

// Ancillary, private, unsafe to copy: an editor that rewrites the picture
// data must drop it.
inline constexpr char ChunkType[5] = "sgIX";
inline constexpr std::uint8_t Version = 1;

std::vector<std::uint8_t> Encode(std::span<const std::uint32_t> segmentRows);

// The rows of each segment; nothing for a payload of another version or
// shape, or with a segment of no rows.
std::optional<std::vector<std::uint32_t>> Parse(std::span<const std::uint8_t> payload);

}  // namespace PngSegmentIndex
