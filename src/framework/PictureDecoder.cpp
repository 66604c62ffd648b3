#include "PictureDecoder.h"

#include <QColorSpace>
#include <QIODevice>
#include <QImageReader>
#include <QSet>
#include <QtEndian>
#include <limits>

#include "PictureSize.h"

namespace PictureDecoder {

namespace {

enum class Outcome { Decoded, NotRead, Refused };

// Several names lead to one reader; trying it again under another name
// would only repeat its failure.
QByteArray ReaderName(const QByteArray& format) {
    if (format == "jpg") return "jpeg";
    if (format == "tif") return "tiff";
    if (format == "svgz") return "svg";
    return format.toLower();
}

// Readers that produce the smaller size while decoding, without holding the
// full-size picture first (scanline by scanline, or by rendering at that
// size). Others decode in full and we shrink after.
bool ShrinksWhileDecoding(const QImageReader& reader) {
    const QByteArray name = ReaderName(reader.format());
    return (name == "jpeg" || name == "svg") && reader.supportsOption(QImageIOHandler::ScaledSize);
}

// The frame size from the header of formats whose reader only tells after
// decoding (an animation and its still variant).
QSize AnimationHeaderSize(QIODevice& device) {
    const QByteArray head = device.peek(24);
    if (head.size() < 24) return {};
    const bool animation = head.startsWith("\x8aMNG\r\n\x1a\n") && head.mid(12, 4) == "MHDR";
    const bool still = head.startsWith("\x8bJNG\r\n\x1a\n") && head.mid(12, 4) == "JHDR";
    if (!animation && !still) return {};
    auto side = [&](int at) {
        const quint32 value = qFromBigEndian<quint32>(head.constData() + at);
        return int(std::min<quint32>(value, std::numeric_limits<int>::max()));
    };
    return {side(16), side(20)};
}

// Whether the readers still refuse huge allocations themselves; the
// environment can lift their limit, and then a picture whose size isn't
// known before decoding can't be bounded.
bool ReadersGuardAllocations() {
    const int limit = QImageReader::allocationLimit();
    return limit > 0 && limit <= ReaderAllocationLimitMB;
}

QImage Finished(QImage image) {
    // Only the stored pixels count: no colour space is carried into drawing,
    // and a "@2x" in a name means nothing to a chart.
    image.setColorSpace(QColorSpace());
    image.setDevicePixelRatio(1);
    // Premultiplied first, in place where the layouts allow: shrinking a
    // picture that isn't would make a premultiplied full-size copy.
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    const QSize kept = PictureSize::Shrunk(image.size());
    if (kept != image.size())
        image = image.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

// One reader's try: the content's own reader when format is empty.
Outcome Read(QIODevice& device, qint64 start, const QByteArray& format, QImage& result,
             QByteArray& readerName) {
    if (!device.seek(start)) return Outcome::NotRead;
    QImageReader reader;
    if (format.isEmpty()) {
        reader.setDecideFormatFromContent(true);
    } else {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);
    }
    reader.setDevice(&device);
    reader.setAutoTransform(false);
    if (!reader.canRead()) return Outcome::NotRead;
    readerName = ReaderName(reader.format());

    QSize declared = reader.size();
    if (!declared.isValid()) declared = AnimationHeaderSize(device);
    if (declared.isValid() ? !PictureSize::Admissible(declared) : !ReadersGuardAllocations())
        return Outcome::Refused;
    if (declared.isValid()) {
        const QSize kept = PictureSize::Shrunk(declared);
        if (kept != declared && ShrinksWhileDecoding(reader)) reader.setScaledSize(kept);
    }
    QImage image = reader.read();
    if (image.isNull()) return Outcome::NotRead;
    if (!PictureSize::Admissible(image.size())) return Outcome::Refused;
    result = Finished(std::move(image));
    return result.isNull() ? Outcome::NotRead : Outcome::Decoded;
}

}  // namespace

QImage Decode(QIODevice& device) {
    QImageReader::setAllocationLimit(ReaderAllocationLimitMB);
    const qint64 start = device.pos();
    QImage image;
    QByteArray tried;
    const Outcome first = Read(device, start, {}, image, tried);
    if (first != Outcome::NotRead) return image;
    // The first reader that claims the content isn't always its own: a TGA
    // file passes for an icon at first sight. Any other reader that claims
    // it gets its turn.
    QSet<QByteArray> done{tried};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        if (done.contains(ReaderName(format))) continue;
        done.insert(ReaderName(format));
        QByteArray name;
        if (Read(device, start, format, image, name) != Outcome::NotRead) return image;
    }
    return {};
}

}  // namespace PictureDecoder
