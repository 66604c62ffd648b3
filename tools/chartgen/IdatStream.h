#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

class PngChunkFile;

// Deflates the filtered rows into one zlib stream, written as one IDAT chunk per segment of
// rows. A segment ends with a full flush: nothing after it refers back to it, and the next
// segment starts on a byte boundary, so a decoder that knows where the segments lie can inflate
// each on its own. The first chunk also carries the zlib header, the last the Adler-32.
class IdatStream {
public:
    IdatStream(PngChunkFile& file, int level);
    ~IdatStream();
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    bool isOpen() const { return open_; }
    bool write(std::span<const std::uint8_t> data);
    // Ends the current segment and writes it out.
    bool endSegment();
    // Ends the last segment and the stream.
    bool finish();

private:
    // Runs deflate with the given flush mode until it has taken all input and, when flushing,
    // written everything out (with Z_FINISH, until the stream ends).
    bool pump(int flush);
    bool emitChunk();

    PngChunkFile& file_;
    z_stream stream_{};
    std::vector<std::uint8_t> buffer_;
    bool open_ = false;
};
