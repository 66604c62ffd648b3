#include "IdatStream.h"

#include "PngChunkFile.h"

IdatStream::IdatStream(PngChunkFile& file, int level, std::size_t chunkBytes)
    : file_(file), buffer_(chunkBytes) {
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
    if (used == 0) return true;
    if (!file_.writeChunk("IDAT", std::span(buffer_.data(), used))) return false;
    stream_.next_out = buffer_.data();
    stream_.avail_out = uInt(buffer_.size());
    return true;
}

bool IdatStream::pump(int flush) {
    for (;;) {
        const int status = deflate(&stream_, flush);
        if (status == Z_STREAM_ERROR) return false;
        if (stream_.avail_out == 0) {
            if (!emitChunk()) return false;
            continue;
        }
        if (flush == Z_FINISH ? status == Z_STREAM_END : stream_.avail_in == 0) return true;
    }
}

bool IdatStream::write(std::span<const std::uint8_t> data) {
    if (!open_) return false;
    stream_.next_in = const_cast<Bytef*>(data.data());
    stream_.avail_in = uInt(data.size());
    return pump(Z_NO_FLUSH);
}

bool IdatStream::finish() {
    if (!open_) return false;
    stream_.next_in = nullptr;
    stream_.avail_in = 0;
    return pump(Z_FINISH) && emitChunk();
}
