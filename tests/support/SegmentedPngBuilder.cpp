#include "SegmentedPngBuilder.h"

#include <zlib.h>

#include <QtEndian>
#include <cstdlib>
#include <vector>

#include "picture/segmented/PngSegmentIndex.h"

namespace {

constexpr int kPixel = 4;

QByteArray BigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const QByteArray& type, const QByteArray& data, bool spoilCrc = false) {
    const QByteArray body = type + data;
    quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size())));
    if (spoilCrc) crc ^= 1;
    return BigEndian(quint32(data.size())) + body + BigEndian(crc);
}

int Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// One row filtered with the given type; `above` is null for none.
QByteArray Filter(int type, const uchar* row, const uchar* above, int bytes) {
    QByteArray out(bytes + 1, '\0');
    out[0] = char(type);
    for (int i = 0; i < bytes; ++i) {
        const int a = i >= kPixel ? row[i - kPixel] : 0;
        const int b = above ? above[i] : 0;
        const int c = above && i >= kPixel ? above[i - kPixel] : 0;
        int predicted = 0;
        switch (type) {
            case 1:
                predicted = a;
                break;
            case 2:
                predicted = b;
                break;
            case 3:
                predicted = (a + b) / 2;
                break;
            case 4:
                predicted = Paeth(a, b, c);
                break;
            default:
                break;
        }
        out[i + 1] = char(uchar(row[i] - predicted));
    }
    return out;
}

}  // namespace

SegmentedPngBuilder::SegmentedPngBuilder(const QImage& picture, int segmentRows)
    : rgba_(picture.convertToFormat(QImage::Format_RGBA8888)), segmentRows_(segmentRows) {}

QByteArray SegmentedPngBuilder::FilteredRows(Fault fault) const {
    QByteArray rows;
    const int bytes = rgba_.width() * kPixel;
    for (int y = 0; y < rgba_.height(); ++y) {
        const bool segmentStart = y % segmentRows_ == 0;
        const uchar* above = y > 0 ? rgba_.constScanLine(y - 1) : nullptr;
        // Every filter in turn; a segment starts with one that needs no
        // row above, None or Sub.
        int type = y % 5;
        if (segmentStart && y > 0)
            type = fault == Fault::UpAtSegmentStart ? 2 : (y / segmentRows_) % 2;
        QByteArray row = Filter(type, rgba_.constScanLine(y), above, bytes);
        if (fault == Fault::UnknownFilter && y == rgba_.height() - 1) row[0] = 5;
        rows += row;
    }
    return rows;
}

QByteArray SegmentedPngBuilder::Build(Fault fault) const {
    const QByteArray rows = FilteredRows(fault);
    const int rowBytes = rgba_.width() * kPixel + 1;
    const int height = rgba_.height();
    const bool segmented = fault != Fault::NoIndex && fault != Fault::NoFlushBetween;

    // One zlib stream, flushed fully at each segment's end.
    z_stream stream{};
    deflateInit(&stream, 6);
    std::vector<QByteArray> pieces;
    std::vector<quint32> segmentRows;
    for (int y = 0; y < height; y += segmentRows_) {
        const int count = std::min(segmentRows_, height - y);
        const bool last = y + count >= height;
        QByteArray in = rows.mid(qsizetype(y) * rowBytes, qsizetype(count) * rowBytes);
        // Room for everything: without flushes, the last call writes it all.
        QByteArray out(qsizetype(deflateBound(&stream, uLong(rows.size()))) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(in.data());
        stream.avail_in = uInt(in.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, last ? Z_FINISH : segmented ? Z_FULL_FLUSH : Z_NO_FLUSH);
        out.truncate(out.size() - qsizetype(stream.avail_out));
        pieces.push_back(out);
        segmentRows.push_back(quint32(count));
    }
    deflateEnd(&stream);
    if (fault == Fault::WrongAdler) pieces.back()[pieces.back().size() - 1] ^= 1;
    if (fault == Fault::NoFlushBetween) {
        // The same number of chunks, cut evenly through one unflushed stream.
        QByteArray all;
        for (const QByteArray& piece : pieces) all += piece;
        const qsizetype share = all.size() / qsizetype(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i)
            pieces[i] = i + 1 < pieces.size() ? all.mid(qsizetype(i) * share, share)
                                              : all.mid(qsizetype(i) * share);
    }
    if (fault == Fault::IndexSegmentsMerged && pieces.size() >= 2) {
        pieces[0] += pieces[1];
        pieces.erase(pieces.begin() + 1);
    }
    if (fault == Fault::IndexShort) segmentRows.back() -= 1;

    QByteArray header = BigEndian(quint32(rgba_.width())) + BigEndian(quint32(height));
    header += QByteArray("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, not interlaced
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header);
    png += Chunk("sRGB", QByteArray(1, '\0'));
    if (fault == Fault::PaletteChunk) png += Chunk("PLTE", QByteArray(3, '\0'));
    if (fault != Fault::NoIndex) {
        const std::vector<std::uint8_t> index = PngSegmentIndex::Encode(segmentRows);
        png +=
            Chunk(PngSegmentIndex::ChunkType,
                  QByteArray(reinterpret_cast<const char*>(index.data()), qsizetype(index.size())));
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
        png += Chunk("IDAT", pieces[i], fault == Fault::WrongIdatCrc && i == pieces.size() / 2);
    if (fault != Fault::NoEnd) png += Chunk("IEND", {});
    return png;
}
