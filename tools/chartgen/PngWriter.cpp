#include "PngWriter.h"

#include <algorithm>
#include <array>
#include <vector>

#include "IdatStream.h"
#include "PngChunkFile.h"
#include "PngRowFilter.h"
#include "picture/inspect/BigEndian.h"
#include "picture/segmented/PngSegmentIndex.h"

namespace {

constexpr int kBytesPerPixel = 4;
constexpr std::uint8_t kColourTypeRgba = 6;
constexpr std::uint8_t kPerceptualIntent = 0;
constexpr std::uint32_t kSrgbGamma = 45455;  // 1/2.2 in units of 1e-5, as the sRGB chunk implies

}  // namespace

bool PngWriter::fail(const QString& message) {
    error_ = message;
    return false;
}

bool PngWriter::write(const QString& path, const QImage& image) {
    const QImage rgba = image.format() == QImage::Format_RGBA8888
                            ? image
                            : image.convertToFormat(QImage::Format_RGBA8888);
    std::vector<const std::uint8_t*> rows(std::size_t(rgba.height()));
    for (int y = 0; y < rgba.height(); ++y) rows[std::size_t(y)] = rgba.constScanLine(y);
    return write(path, rgba.width(), rgba.height(), rows);
}

bool PngWriter::write(const QString& path, int width, int height,
                      std::span<const std::uint8_t* const> rows) {
    if (width <= 0 || height <= 0 || rows.size() != std::size_t(height)) {
        return fail(QStringLiteral("invalid image dimensions"));
    }
    PngChunkFile file(path);
    if (!file.open()) return fail(file.errorString());

    std::array<std::uint8_t, 13> header{};
    BigEndian::Write32(std::uint32_t(width), header.data());
    BigEndian::Write32(std::uint32_t(height), header.data() + 4);
    header[8] = 8;  // bits per channel
    header[9] = kColourTypeRgba;
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = 0;  // not interlaced
    const std::array<std::uint8_t, 1> srgb = {kPerceptualIntent};
    const std::array<std::uint8_t, 4> gamma = BigEndian::Bytes32(kSrgbGamma);
    if (!file.writeChunk("IHDR", header) || !file.writeChunk("sRGB", srgb) ||
        !file.writeChunk("gAMA", gamma)) {
        return fail(file.errorString());
    }

    const int segmentRows = options_.segmentRows > 0 ? options_.segmentRows : height;
    if (options_.segmentRows > 0) {
        std::vector<std::uint32_t> segments;
        for (int y = 0; y < height; y += segmentRows)
            segments.push_back(std::uint32_t(std::min(segmentRows, height - y)));
        if (!file.writeChunk(PngSegmentIndex::ChunkType, PngSegmentIndex::Encode(segments)))
            return fail(file.errorString());
    }

    IdatStream idat(file, options_.level);
    if (!idat.isOpen()) return fail(QStringLiteral("cannot initialise deflate"));
    PngRowFilter filter(width * kBytesPerPixel, kBytesPerPixel, options_.filters);
    for (int y = 0; y < height; ++y) {
        // A segment's first row is filtered on its own, so the segment decodes without the one
        // before it.
        const bool first = y % segmentRows == 0;
        const std::uint8_t* previous = first ? nullptr : rows[std::size_t(y - 1)];
        if (y > 0 && first && !idat.endSegment())
            return fail(QStringLiteral("compression failed: %1").arg(file.errorString()));
        if (!idat.write(filter.filter(rows[std::size_t(y)], previous))) {
            return fail(QStringLiteral("compression failed: %1").arg(file.errorString()));
        }
    }
    if (!idat.finish() || !file.writeChunk("IEND", {}) || !file.commit()) {
        return fail(file.errorString());
    }
    return true;
}
