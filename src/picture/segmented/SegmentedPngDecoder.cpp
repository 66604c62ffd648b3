#include "SegmentedPngDecoder.h"

#include <libdeflate.h>
#include <zlib.h>
#if defined(TIDEMARK_HAVE_ISAL)
#include <isa-l/igzip_lib.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "PngSegmentIndex.h"
#include "picture/inspect/BigEndian.h"
#include "picture/inspect/PictureSize.h"
#include "picture/memory/MappedBuffer.h"
#include "picture/memory/MappedImage.h"
#include "picture/rows/PngRows.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFullFlushMarker[4] = {0x00, 0x00, 0xFF, 0xFF};
// A final, empty block with fixed codes: what turns a segment that ends in a
// full flush into a deflate stream complete on its own.
constexpr std::uint8_t kEmptyFinalBlock[2] = {0x03, 0x00};
constexpr std::size_t kPixel = 4;

bool IsType(const std::uint8_t* type, const char (&name)[5]) {
    return std::memcmp(type, name, 4) == 0;
}

bool CrcMatches(const std::uint8_t* typeAndData, std::size_t size, std::uint32_t crc) {
    return libdeflate_crc32(0, typeAndData, size) == crc;
}

const char* WhatFailed(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

}  // namespace

// One thread's tools: its decompressor and room for one segment.
class SegmentedPngDecoder::Worker {
public:
    Worker(std::size_t largestDeflate, int largestRows, std::size_t stride)
        : decompressor_(libdeflate_alloc_decompressor(), &libdeflate_free_decompressor),
          input_(largestDeflate + sizeof kEmptyFinalBlock),
          rows_((stride + 1) * std::size_t(largestRows)),
          zeros_(stride),
          stride_(stride) {}

    bool IsReady() const {
        return decompressor_ && !input_.IsEmpty() && !rows_.IsEmpty() && !zeros_.IsEmpty();
    }

    // Whether every pixel this worker wrote is fully opaque.
    bool Opaque() const { return opaque_; }

    // Inflates, checks and unfilters a segment into its rows of the picture.
    bool Decode(const Segment& segment, std::uint8_t* pixels, std::uint32_t& adler) {
        if (!CrcMatches(segment.chunk, segment.chunkSize, segment.crc)) return false;
        const std::uint8_t* in = segment.deflate;
        std::size_t inSize = segment.size;
        if (!segment.last) {
            // The inflaters want a complete stream: the segment, copied, gets
            // a final block after its flush, so nothing past it is read and
            // success means it inflated exactly up to the flush.
            std::memcpy(input_.Data(), segment.deflate, segment.size);
            std::memcpy(input_.Data() + segment.size, kEmptyFinalBlock, sizeof kEmptyFinalBlock);
            in = input_.Data();
            inSize += sizeof kEmptyFinalBlock;
        }
        const std::size_t rowBytes = stride_ + 1;
        const std::size_t expected = rowBytes * std::size_t(segment.rows);
        if (!Inflate(in, inSize, expected)) return false;
        adler = libdeflate_adler32(1, rows_.Data(), expected);

        for (int y = 0; y < segment.rows; ++y) {
            std::uint8_t* line = rows_.Data() + rowBytes * std::size_t(y);
            const std::uint8_t filter = line[0];
            const std::uint8_t* above = y > 0 ? line + 1 - rowBytes : zeros_.Data();
            // A segment's first row may only need the row above when it is
            // the picture's first, whose row above is all zeros.
            if (y == 0 && segment.firstRow > 0 && filter > 1) return false;
            if (!PngRows::Unfilter(filter, line + 1, above, stride_)) return false;
            auto* out = reinterpret_cast<std::uint32_t*>(
                pixels + stride_ * std::size_t(segment.firstRow + y));
            if (!PngRows::ToArgb32Premultiplied(line + 1, out, stride_ / kPixel)) opaque_ = false;
        }
        return true;
    }

private:
    // The whole segment into rows_, exactly: every byte of it taken, and
    // `expected` bytes out. ISA-L where the build has it, a fifth faster
    // than libdeflate on the chart; the same bytes.
    bool Inflate(const std::uint8_t* in, std::size_t inSize, std::size_t expected) {
#if defined(TIDEMARK_HAVE_ISAL)
        if (inSize <= UINT32_MAX && expected <= UINT32_MAX) {
            inflate_state state;
            isal_inflate_init(&state);
            state.next_in = const_cast<std::uint8_t*>(in);
            state.avail_in = std::uint32_t(inSize);
            state.next_out = rows_.Data();
            state.avail_out = std::uint32_t(expected);
            return isal_inflate_stateless(&state) == ISAL_DECOMP_OK && state.avail_in == 0 &&
                   state.total_out == expected;
        }
#endif
        std::size_t consumed = 0, produced = 0;
        const libdeflate_result result = libdeflate_deflate_decompress_ex(
            decompressor_.get(), in, inSize, rows_.Data(), expected, &consumed, &produced);
        return result == LIBDEFLATE_SUCCESS && consumed == inSize && produced == expected;
    }

    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor_;
    MappedBuffer input_;
    MappedBuffer rows_;
    MappedBuffer zeros_;
    std::size_t stride_ = 0;
    bool opaque_ = true;
};

SegmentedPngDecoder::SegmentedPngDecoder(QByteArrayView file) {
    if (!Plan(file)) segments_.clear();
}

bool SegmentedPngDecoder::Plan(QByteArrayView file) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::size_t size = std::size_t(file.size());
    if (size < sizeof kSignature || std::memcmp(bytes, kSignature, sizeof kSignature) != 0)
        return false;

    struct Idat {
        const std::uint8_t* chunk;
        std::size_t length;
        std::uint32_t crc;
    };
    std::vector<Idat> idats;
    std::optional<std::vector<std::uint32_t>> index;
    bool idatsEnded = false;
    for (std::size_t at = sizeof kSignature;;) {
        if (size - at < 12) return false;
        const std::size_t length = BigEndian::Read32(bytes + at);
        if (length > 0x7FFFFFFFu || size - at - 12 < length) return false;
        const std::uint8_t* chunk = bytes + at + 4;  // type, then data
        const std::uint8_t* data = chunk + 4;
        const std::uint32_t crc = BigEndian::Read32(data + length);
        const bool first = at == sizeof kSignature;
        at += 12 + length;

        if (first) {
            // 8-bit RGBA, deflate, standard filters, not interlaced.
            if (!IsType(chunk, "IHDR") || length != 13 || !CrcMatches(chunk, 4 + length, crc))
                return false;
            const std::uint32_t width = BigEndian::Read32(data),
                                height = BigEndian::Read32(data + 4);
            if (width == 0 || height == 0 || width > std::uint32_t(PictureSize::MaxSide) ||
                height > std::uint32_t(PictureSize::MaxSide))
                return false;
            if (data[8] != 8 || data[9] != 6 || data[10] != 0 || data[11] != 0 || data[12] != 0)
                return false;
            width_ = int(width);
            height_ = int(height);
        } else if (IsType(chunk, "IDAT")) {
            if (idatsEnded) return false;
            idats.push_back({chunk, length, crc});
        } else {
            idatsEnded = !idats.empty();
            if (IsType(chunk, "IEND")) {
                if (!CrcMatches(chunk, 4 + length, crc)) return false;
                break;
            }
            if (IsType(chunk, PngSegmentIndex::ChunkType)) {
                if (index || !idats.empty() || !CrcMatches(chunk, 4 + length, crc)) return false;
                index = PngSegmentIndex::Parse({data, length});
                if (!index) return false;
            } else if (!(chunk[0] & 0x20)) {
                // A critical chunk other than these (a suggested palette, or
                // one we don't know): the general decoder decides.
                return false;
            }
        }
    }
    if (!index || index->size() != idats.size()) return false;

    std::uint64_t rows = 0;
    for (std::size_t i = 0; i < idats.size(); ++i) {
        Segment segment;
        segment.chunk = idats[i].chunk;
        segment.chunkSize = 4 + idats[i].length;
        segment.crc = idats[i].crc;
        segment.deflate = idats[i].chunk + 4;
        segment.size = idats[i].length;
        segment.firstRow = int(rows);
        segment.rows = int((*index)[i]);
        segment.last = i + 1 == idats.size();
        rows += (*index)[i];
        if (rows > std::uint64_t(height_)) return false;
        if (i == 0) {
            // The zlib header: deflate, a window it may declare, no preset
            // dictionary, and its own check.
            if (segment.size < 2) return false;
            const std::uint8_t cmf = segment.deflate[0], flg = segment.deflate[1];
            if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (flg & 0x20) || (cmf * 256 + flg) % 31)
                return false;
            segment.deflate += 2;
            segment.size -= 2;
        }
        if (segment.last) {
            if (segment.size < 4) return false;
            segment.size -= 4;
            adler_ = BigEndian::Read32(segment.deflate + segment.size);
        } else if (segment.size < sizeof kFullFlushMarker ||
                   std::memcmp(segment.deflate + segment.size - sizeof kFullFlushMarker,
                               kFullFlushMarker, sizeof kFullFlushMarker) != 0) {
            return false;
        }
        segments_.push_back(segment);
    }
    return rows == std::uint64_t(height_);
}

QImage SegmentedPngDecoder::Decode(int threads, const std::atomic<bool>& cancel,
                                   bool* opaque) const {
    if (!IsSegmented()) return {};
    const std::size_t stride = kPixel * std::size_t(width_);
    MappedBuffer pixels(stride * std::size_t(height_));
    if (pixels.IsEmpty()) return {};

    std::size_t largestDeflate = 0;
    int largestRows = 0;
    for (const Segment& s : segments_) {
        largestDeflate = std::max(largestDeflate, s.size);
        largestRows = std::max(largestRows, s.rows);
    }
    std::vector<std::uint32_t> adlers(segments_.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> allOpaque{true};
    auto work = [&] {
        Worker worker(largestDeflate, largestRows, stride);
        if (!worker.IsReady()) failed = true;
        while (!failed && !cancel) {
            const std::size_t i = next++;
            if (i >= segments_.size()) break;
            if (!worker.Decode(segments_[i], pixels.Data(), adlers[i])) failed = true;
        }
        if (!worker.Opaque()) allOpaque = false;
    };

    // Helpers share the segments with this thread. A helper's failure comes
    // back here with it; whatever it was, this decoder then gives up and the
    // general one takes over.
    const int helperCount = std::clamp(threads, 1, int(segments_.size())) - 1;
    std::vector<std::exception_ptr> errors(std::size_t(helperCount) + 1);
    std::vector<std::thread> helpers;
    for (int t = 0; t < helperCount; ++t) {
        try {
            helpers.emplace_back([&, t] {
                try {
                    work();
                } catch (...) {
                    errors[std::size_t(t) + 1] = std::current_exception();
                    failed = true;
                }
            });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer do the work
        }
    }
    try {
        work();
    } catch (...) {
        errors[0] = std::current_exception();
        failed = true;
    }
    for (std::thread& helper : helpers) helper.join();
    for (const std::exception_ptr& error : errors)
        if (error) qWarning("Decoding the picture in segments failed: %s", WhatFailed(error));
    if (failed || cancel) return {};

    std::uint32_t adler = adlers[0];
    for (std::size_t i = 1; i < segments_.size(); ++i)
        adler = std::uint32_t(adler32_combine(
            adler, adlers[i], z_off_t((stride + 1) * std::size_t(segments_[i].rows))));
    if (adler != adler_) return {};

    if (opaque) *opaque = allOpaque;

    return MappedImage::Adopt(std::move(pixels), QSize(width_, height_), qsizetype(stride),
                              QImage::Format_ARGB32_Premultiplied);
}
