#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

class PngChunkFile;

// Deflates the filtered rows into one zlib stream and cuts the output into IDAT chunks as it
// grows. Chunk boundaries are decided here, so this is the place to start a fresh IDAT after a
// full flush when row runs are to be located and inflated independently.
class IdatStream {
public:
    IdatStream(PngChunkFile& file, int level, std::size_t chunkBytes = std::size_t(1) << 20);
    ~IdatStream();
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    bool isOpen() const { return open_; }
    bool write(std::span<const std::uint8_t> data);
    bool finish();

private:
    // Runs deflate with the given flush mode until it needs more input (or, with Z_FINISH, ends).
    bool pump(int flush);
    bool emitChunk();

    PngChunkFile& file_;
    z_stream stream_{};
    std::vector<std::uint8_t> buffer_;
    bool open_ = false;
};
