#include "PictureDecoder.h"

#include <QColorSpace>
#include <QIODevice>
#include <QImageReader>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <limits>

#include "WatchedDevice.h"
#include "picture/inspect/BigEndian.h"
#include "picture/inspect/PictureCompleteness.h"
#include "picture/inspect/PictureFormat.h"
#include "picture/inspect/PictureSize.h"
#include "picture/inspect/SvgReferences.h"
#include "picture/rows/RowConversion.h"
#include "picture/streams/DeviceInput.h"
#include "picture/streams/JpegStreamDecoder.h"
#include "picture/streams/PipelinedPngDecoder.h"
#include "picture/streams/PngStreamDecoder.h"
#include "picture/streams/TiffStreamDecoder.h"

namespace PictureDecoder {

namespace {

using Progress = std::function<void(qint64 position, qint64 size)>;

// Several names lead to one reader; trying it again under another name
// would only repeat its failure.
QByteArray ReaderName(const QByteArray& format) {
    if (format == "jpg") return "jpeg";
    if (format == "tif") return "tiff";
    if (format == "svgz") return "svg";
    return format.toLower();
}

// Readers that produce the smaller size while decoding, row by row or by
// rendering at that size, without holding the full-size picture: a 10000 x
// 5000 PNG then peaks at 130 MiB instead of 320. The PNG reader blends
// without premultiplying, which bleeds the colour of transparent pixels into
// their neighbours, so only opaque truecolour PNGs go that way. The others
// are decoded in full and shrunk after.
bool ShrinksWhileDecoding(const QImageReader& reader) {
    if (!reader.supportsOption(QImageIOHandler::ScaledSize)) return false;
    const QByteArray name = ReaderName(reader.format());
    if (name == "png") return reader.imageFormat() == QImage::Format_RGB32;
    return name == "jpeg" || name == "svg";
}

// The size some formats' readers allocate without telling it up front: the
// canvas of an animation (an animated GIF's logical screen, which its reader
// doesn't report, and MNG/JNG frames, reported only after decoding).
QSize CanvasSize(QIODevice& device) {
    const QByteArray head = device.peek(24);
    const char* at = head.constData();
    auto side = [](quint32 value) {
        return int(std::min<quint32>(value, std::numeric_limits<int>::max()));
    };
    if (head.size() >= 10 && (head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return {qFromLittleEndian<quint16>(at + 6), qFromLittleEndian<quint16>(at + 8)};
    if (head.size() < 24 || (head.mid(12, 4) != "MHDR" && head.mid(12, 4) != "JHDR")) return {};
    if (!head.startsWith("\x8aMNG\r\n\x1a\n") && !head.startsWith("\x8bJNG\r\n\x1a\n")) return {};
    return {side(BigEndian::Read32(at + 16)), side(BigEndian::Read32(at + 20))};
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
    const bool storedPremultiplied =
        image.pixelFormat().premultiplied() == QPixelFormat::Premultiplied;
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    // A file's premultiplied samples may lie above their alpha; the readers
    // pass them on as they are.
    if (storedPremultiplied)
        for (int y = 0; y < image.height(); ++y)
            RowConversion::HoldToAlpha(reinterpret_cast<QRgb*>(image.scanLine(y)), image.width());
    const QSize kept = PictureSize::Shrunk(image.size());
    if (kept != image.size())
        image = image.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

// One reader's try: the content's own reader when format is empty.
DecodeOutcome Read(QIODevice& device, qint64 start, const QByteArray& format, QImage& result,
                   QByteArray& readerName) {
    if (!device.seek(start)) return DecodeOutcome::Failed;
    QImageReader reader;
    if (format.isEmpty()) {
        reader.setDecideFormatFromContent(true);
    } else {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);
    }
    reader.setDevice(&device);
    reader.setAutoTransform(false);
    if (!reader.canRead()) return DecodeOutcome::Declined;
    readerName = ReaderName(reader.format());
    // A file cut short, or a vector picture naming other files, isn't
    // handed to its reader at all.
    if (!PictureCompleteness::Complete(device, start, readerName) ||
        (readerName == "svg" && SvgReferences::RefersOutside(device, start)))
        return DecodeOutcome::Refused;
    if (!device.seek(start)) return DecodeOutcome::Failed;

    QSize declared = reader.size();
    const QSize canvas = CanvasSize(device);
    if (canvas.isValid()) declared = declared.isValid() ? declared.expandedTo(canvas) : canvas;
    if (declared.isValid() ? !PictureSize::Admissible(declared) : !ReadersGuardAllocations())
        return DecodeOutcome::Refused;
    if (declared.isValid()) {
        const QSize kept = PictureSize::Shrunk(declared);
        if (kept != declared && ShrinksWhileDecoding(reader)) reader.setScaledSize(kept);
    }
    QImage image = reader.read();
    if (image.isNull()) return DecodeOutcome::Failed;
    if (!PictureSize::Admissible(image.size())) return DecodeOutcome::Refused;
    result = Finished(std::move(image));
    return result.isNull() ? DecodeOutcome::Failed : DecodeOutcome::Decoded;
}

// The formats decoded row by row, which keep memory to the kept size
// whatever the file's.
StreamOutcome Streamed(QIODevice& device) {
    switch (PictureFormat::Recognise(device.peek(PictureFormat::HeadSize))) {
        case PictureFormat::Kind::Png:
            return PngStreamDecoder(device).Decode();
        case PictureFormat::Kind::Jpeg:
            return JpegStreamDecoder(device).Decode();
        case PictureFormat::Kind::Tiff:
            return TiffStreamDecoder(device).Decode();
        case PictureFormat::Kind::Other:
            break;
    }
    return StreamOutcome::Decline();
}

// The same formats on two cores, a worker reading the file: the device as
// it is, the progress told from this thread. Declined where only the single
// thread decides.
StreamOutcome Pipelined(QIODevice& device, const Progress& progress) {
    switch (PictureFormat::Recognise(device.peek(PictureFormat::HeadSize))) {
        case PictureFormat::Kind::Png:
            return PipelinedPngDecoder(device, progress).Decode();
        case PictureFormat::Kind::Jpeg:
            return JpegStreamDecoder(device).DecodePipelined(progress);
        case PictureFormat::Kind::Tiff:
            return TiffStreamDecoder(device).DecodePipelined(progress);
        case PictureFormat::Kind::Other:
            break;
    }
    return StreamOutcome::Decline();
}

QImage DecodeFrom(QIODevice& device) {
    const qint64 start = device.pos();
    StreamOutcome streamed = Streamed(device);
    if (streamed.status == DecodeOutcome::Decoded) return std::move(streamed.image);
    // A file of these formats that fails on the way is corrupt: the readers,
    // more lenient with some, would show made-up pixels for it. One that
    // declares more than may be streamed ends here too.
    if (streamed.status != DecodeOutcome::Declined) return {};
    QImage image;
    QByteArray tried;
    if (Read(device, start, {}, image, tried) != DecodeOutcome::Failed) return image;
    // The first reader that claims the content isn't always its own: a TGA
    // file passes for an icon at first sight. When it fails, any other
    // reader that claims the content gets its turn.
    QSet<QByteArray> done{tried};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        if (done.contains(ReaderName(format))) continue;
        done.insert(ReaderName(format));
        QByteArray name;
        const DecodeOutcome outcome = Read(device, start, format, image, name);
        if (outcome == DecodeOutcome::Decoded || outcome == DecodeOutcome::Refused) return image;
    }
    return {};
}

}  // namespace

QImage Decode(QIODevice& device, const Progress& progress, Threads threads) {
    QImageReader::setAllocationLimit(ReaderAllocationLimitMB);
    const qint64 start = device.pos();
    StreamOutcome piped =
        threads == Threads::Two ? Pipelined(device, progress) : StreamOutcome::Decline();
    if (piped.status == DecodeOutcome::Decoded) return std::move(piped.image);
    if (piped.status != DecodeOutcome::Declined) return {};
    // Everything else on this thread alone, its reads told as they happen.
    if (!DeviceInput::Seek(device, start)) return {};
    if (!progress) return DecodeFrom(device);
    WatchedDevice watched(device, progress);
    return DecodeFrom(watched);
}

}  // namespace PictureDecoder
