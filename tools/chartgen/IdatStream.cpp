#include "IdatStream.h"

#include "PngChunkFile.h"

namespace {

// A segment of the chart compresses to about a megabyte; the buffer grows by this much when one
// doesn't fit.
constexpr std::size_t kGrowth = std::size_t(1) << 20;

}  // namespace

IdatStream::IdatStream(PngChunkFile& file, int level) : file_(file), buffer_(kGrowth) {
    // Z_FILTERED suits PNG rows: after filtering, the data is mostly small residuals.
    open_ = deflateInit2(&stream_, level, Z_DEFLATED, 15, 9, Z_FILTERED) == Z_OK;
    stream_.next_out = buffer_.data();
    stream_.avail_out = uInt(buffer_.size());
}

IdatStream::~IdatStream() {
    if (open_) deflateEnd(&stream_);
}

bool IdatStream::emitChunk() {
    const std::size_t used = buffer_.size() - stream_.avail_out;
    if (!file_.writeChunk("IDAT", std::span(buffer_.data(), used))) return false;
    stream_.next_out = buffer_.data();
    stream_.avail_out = uInt(buffer_.size());
    return true;
}

bool IdatStream::pump(int flush) {
    for (;;) {
        if (stream_.avail_out == 0) {
            // The whole segment goes into one chunk, so the buffer grows instead of spilling.
            const std::size_t used = buffer_.size();
            buffer_.resize(used + kGrowth);
            stream_.next_out = buffer_.data() + used;
            stream_.avail_out = uInt(kGrowth);
        }
        const int status = deflate(&stream_, flush);
        if (status == Z_STREAM_ERROR) return false;
        if (flush == Z_FINISH) {
            if (status == Z_STREAM_END) return true;
        } else if (stream_.avail_in == 0 && (flush == Z_NO_FLUSH || stream_.avail_out > 0)) {
            // A flush is complete once deflate leaves room in the output.
            return true;
        }
    }
}

bool IdatStream::write(std::span<const std::uint8_t> data) {
    if (!open_) return false;
    stream_.next_in = const_cast<Bytef*>(data.data());
    stream_.avail_in = uInt(data.size());
    return pump(Z_NO_FLUSH);
}

bool IdatStream::endSegment() {
    if (!open_) return false;
    stream_.next_in = nullptr;
    stream_.avail_in = 0;
    return pump(Z_FULL_FLUSH) && emitChunk();
}

bool IdatStream::finish() {
    if (!open_) return false;
    stream_.next_in = nullptr;
    stream_.avail_in = 0;
    return pump(Z_FINISH) && emitChunk();
}
