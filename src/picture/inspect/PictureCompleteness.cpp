#include "PictureCompleteness.h"

#include <QIODevice>
#include <cstdlib>

#include "BigEndian.h"

namespace PictureCompleteness {

namespace {

// The file's bytes from `start` on, read a window at a time as a scan moves
// forward through them.
class Bytes {
public:
    Bytes(QIODevice& device, qint64 start) : device_(device), start_(start) {}

    // The byte at an offset from the start, or -1 past the end.
    int At(qint64 offset) {
        if (offset < 0) return -1;
        if (offset < windowAt_ || offset >= windowAt_ + window_.size()) {
            if (!device_.seek(start_ + offset)) return -1;
            window_ = device_.read(kWindow);
            windowAt_ = offset;
            if (window_.isEmpty()) return -1;
        }
        return uchar(window_.at(offset - windowAt_));
    }
    bool Has(qint64 offset) { return At(offset) >= 0; }
    quint16 Little16(qint64 offset) { return quint16(At(offset) | At(offset + 1) << 8); }
    quint32 Little32(qint64 offset) {
        return quint32(Little16(offset)) | quint32(Little16(offset + 2)) << 16;
    }
    // A pair whose second byte lies past the end reads as all ones: a length
    // no file can hold.
    quint16 Big16(qint64 offset) {
        const int high = At(offset), low = At(offset + 1);
        if (low < 0) return 0xFFFF;
        const uchar pair[2] = {uchar(high), uchar(low)};
        return BigEndian::Read16(pair);
    }
    quint32 Big32(qint64 offset) { return quint32(Big16(offset)) << 16 | Big16(offset + 2); }
    qint64 Size() const { return device_.size() - start_; }

private:
    static constexpr qint64 kWindow = 64 * 1024;
    QIODevice& device_;
    qint64 start_;
    QByteArray window_;
    qint64 windowAt_ = 0;
};

bool BmpComplete(Bytes& bytes) {
    if (bytes.Size() < 26) return true;  // too short for its reader to take
    const qint64 pixelsAt = bytes.Little32(10);
    const quint32 headerSize = bytes.Little32(14);
    qint64 width, height;
    int bitsPerPixel;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = bytes.Little16(18);
        height = bytes.Little16(20);
        bitsPerPixel = bytes.Little16(24);
    } else if (headerSize >= 40) {
        width = qint32(bytes.Little32(18));
        height = std::abs(qint64(qint32(bytes.Little32(22))));
        bitsPerPixel = bytes.Little16(28);
        compression = bytes.Little32(30);
    } else {
        return true;
    }
    // Run-length and embedded pictures end where their data says; only rows
    // of plain pixels have a size the header fixes.
    constexpr quint32 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
        return true;
    if (width <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32) return true;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    // A size no file can reach; the readers' own size check keeps such
    // headers out before this, but the sum mustn't overflow regardless.
    if (height > 0 && rowBytes > (bytes.Size() - pixelsAt) / height) return false;
    return true;
}

// Sub-blocks of data, each led by its length, up to the empty one; the
// offset after it, or -1 when the file ends first.
qint64 SkipSubBlocks(Bytes& bytes, qint64 at) {
    for (;;) {
        const int length = bytes.At(at);
        if (length < 0) return -1;
        at += 1 + length;
        if (length == 0) return at;
    }
}

bool GifComplete(Bytes& bytes) {
    if (bytes.Size() < 13) return true;
    const int screenFlags = bytes.At(10);
    qint64 at = 13;
    if (screenFlags & 0x80) at += 3 << ((screenFlags & 7) + 1);
    for (;;) {
        const int introducer = bytes.At(at);
        if (introducer == 0x21) {  // an extension: its label, then its data
            at = SkipSubBlocks(bytes, at + 2);
        } else if (introducer == 0x2C) {  // the first frame
            const int frameFlags = bytes.At(at + 9);
            if (frameFlags < 0) return false;
            at += 10;
            if (frameFlags & 0x80) at += 3 << ((frameFlags & 7) + 1);
            // The code size, then the compressed pixels.
            return bytes.Has(at) && SkipSubBlocks(bytes, at + 1) >= 0;
        } else if (introducer < 0) {
            return false;
        } else {
            return true;  // the trailer or something unknown: the reader decides
        }
        if (at < 0) return false;
    }
}

bool JpegComplete(Bytes& bytes) {
    if (bytes.At(0) != 0xFF || bytes.At(1) != 0xD8) return true;
    // Segments with their lengths, up to the first scan.
    qint64 at = 2;
    for (;;) {
        const int lead = bytes.At(at);
        if (lead < 0) return false;
        if (lead != 0xFF) return true;  // not a segment: the reader decides
        const int marker = bytes.At(at + 1);
        if (marker < 0) return false;
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9) return true;  // the end before any scan: the reader decides
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (!bytes.Has(at + 3)) return false;
        const qint64 next = at + 2 + bytes.Big16(at + 2);
        if (marker == 0xDA) {
            at = next;
            break;
        }
        at = next;
    }
    // Inside compressed data a 0xFF is always followed by 0 or a restart
    // marker, so the first 0xFF 0xD9 from here on ends the picture.
    for (int previous = -1;; ++at) {
        const int byte = bytes.At(at);
        if (byte < 0) return false;
        if (previous == 0xFF && byte == 0xD9) return true;
        previous = byte;
    }
}

// The icon container: "icns" and its length, then blocks of a type and a
// length that counts the block's own header; a table of contents lists
// blocks again with their lengths. The reader reads a block by its length
// in one piece, allocating it first: a length of 0 became 8 GiB.
bool IcnsComplete(Bytes& bytes) {
    constexpr qint64 kHeader = 8;
    const qint64 total = bytes.Big32(4);
    if (total < kHeader || total > bytes.Size()) return false;
    for (qint64 at = kHeader; at < total;) {
        if (at + kHeader > total) return false;
        const qint64 length = bytes.Big32(at + 4);
        if (length < kHeader || length > total - at) return false;
        const bool contents = bytes.Big32(at) == 0x544F4320;  // "TOC "
        for (qint64 entry = at + kHeader; contents && entry < at + length; entry += kHeader) {
            const qint64 listed = bytes.Big32(entry + 4);
            if (listed < kHeader || listed > total) return false;
        }
        at += length;
    }
    return true;
}

// TGA's reader takes a byte at a time and goes on past the end of the file,
// so a few bytes declaring millions of pixels kept it reading nothing for
// minutes. Uncompressed pictures need all their pixels; run-length coded
// ones at least a packet for every 128.
bool TgaComplete(Bytes& bytes) {
    constexpr qint64 kHeader = 18;
    if (bytes.Size() < kHeader) return true;  // too short for its reader to take
    const int type = bytes.At(2);
    const qint64 width = bytes.Little16(12), height = bytes.Little16(14);
    const qint64 pixelBytes = (bytes.At(16) + 7) / 8;
    qint64 at = kHeader + bytes.At(0);
    if (bytes.At(1) == 1) at += qint64(bytes.Little16(5)) * ((bytes.At(7) + 7) / 8);
    const qint64 pixels = width * height;
    // The footer of a version 2 file ends it: its 26 bytes are no pixels.
    constexpr char kSignature[] = "TRUEVISION-XFILE.";
    constexpr qint64 kFooter = 26, kSigned = sizeof kSignature;  // with its NUL
    qint64 end = bytes.Size();
    bool footer = end >= kHeader + kFooter;
    for (qint64 i = 0; footer && i < kSigned; ++i)
        footer = bytes.At(end - kSigned + i) == uchar(kSignature[i]);
    if (footer) end -= kFooter;
    if (type >= 1 && type <= 3) return at + pixels * pixelBytes <= end;
    if (type >= 9 && type <= 11) return at + (pixels + 127) / 128 * (1 + pixelBytes) <= end;
    return true;
}

}  // namespace

bool Complete(QIODevice& device, qint64 start, const QByteArray& readerName) {
    Bytes bytes(device, start);
    if (readerName == "bmp") return BmpComplete(bytes);
    if (readerName == "gif") return GifComplete(bytes);
    if (readerName == "jpeg") return JpegComplete(bytes);
    if (readerName == "icns") return IcnsComplete(bytes);
    if (readerName == "tga") return TgaComplete(bytes);
    return true;
}

}  // namespace PictureCompleteness
