#include <png.h>
#include <tiffio.h>
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <cstdio>
#include <utility>
#include <variant>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "JpegFileWriter.h"
#include "PictureFiles.h"
#include "PngFileWriter.h"
#include "SegmentedPngBuilder.h"
#include "TiffFileWriter.h"
#include "framework/stock/TBitmap.h"
#include "picture/inspect/PictureFormat.h"
#include "picture/inspect/PictureSize.h"
#include "picture/rows/RowConversion.h"
#include "picture/streams/JpegStreamDecoder.h"
#include "picture/streams/PipelinedPngDecoder.h"
#include "picture/streams/PngStreamDecoder.h"
#include "picture/streams/ReadProgress.h"
#include "picture/streams/StreamInflater.h"
#include "picture/streams/TiffStreamDecoder.h"

using namespace PictureFiles;

namespace {

quint32 Noise(int x, int y, int channel) {
    quint32 h = quint32(x) * 73856093u ^ quint32(y) * 19349663u ^ quint32(channel + 1) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

// Noise in every sample; where `alphaAt` is a sample, it is fully
// transparent, fully opaque or in between, a third each.
RowSource NoiseRows(int width, int channels, int bits, int alphaAt = -1) {
    return [=](int y, uchar* out) {
        if (bits < 8) {
            std::fill_n(out, (width * channels * bits + 7) / 8, uchar(0));
            for (int x = 0; x < width; ++x) {
                const int bit = x * bits;
                out[bit / 8] |= uchar((Noise(x, y, 0) & ((1 << bits) - 1)) << (8 - bits - bit % 8));
            }
            return;
        }
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                quint32 value = Noise(x, y, c);
                if (c == alphaAt) {
                    const quint32 full = bits == 16 ? 0xFFFF : 0xFF;
                    value = value % 3 == 0 ? 0 : value % 3 == 1 ? full : value >> 8;
                }
                if (bits == 16)
                    reinterpret_cast<quint16*>(out)[x * channels + c] = quint16(value);
                else
                    out[x * channels + c] = uchar(value);
            }
    };
}

std::vector<QRgb> NoisePalette(int count) {
    std::vector<QRgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(qRgba(int(Noise(i, 0, 1) & 0xFF), int(Noise(i, 0, 2) & 0xFF),
                                int(Noise(i, 0, 3) & 0xFF),
                                i % 3 == 0   ? 0
                                : i % 3 == 1 ? 255
                                             : 99));
    return palette;
}

// The picture the image readers make of a file, finished as loading does.
QImage FromReaders(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    image.setColorSpace(QColorSpace());
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

StreamOutcome Streamed(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    switch (PictureFormat::Recognise(file.peek(PictureFormat::HeadSize))) {
        case PictureFormat::Kind::Png:
            return PngStreamDecoder(file).Decode();
        case PictureFormat::Kind::Jpeg:
            return JpegStreamDecoder(file).Decode();
        case PictureFormat::Kind::Tiff:
            return TiffStreamDecoder(file).Decode();
        case PictureFormat::Kind::Other:
            break;
    }
    return StreamOutcome::Decline();
}

// What the decoders on two cores make of a file, and how they told the
// progress: only ever on the thread that decodes, which paints it.
struct Piped {
    StreamOutcome outcome;
    bool toldOnThisThreadOnly = true;
    qint64 lastTold = -1;
};

Piped Pipelined(QIODevice& device) {
    Piped piped;
    QThread* const decoding = QThread::currentThread();
    const ReadProgress::TWatcher watch = [&piped, decoding](qint64 position, qint64) {
        piped.toldOnThisThreadOnly &= QThread::currentThread() == decoding;
        piped.lastTold = position;
    };
    switch (PictureFormat::Recognise(device.peek(PictureFormat::HeadSize))) {
        case PictureFormat::Kind::Png:
            piped.outcome = PipelinedPngDecoder(device, watch).Decode();
            break;
        case PictureFormat::Kind::Jpeg:
            piped.outcome = JpegStreamDecoder(device).DecodePipelined(watch);
            break;
        case PictureFormat::Kind::Tiff:
            piped.outcome = TiffStreamDecoder(device).DecodePipelined(watch);
            break;
        case PictureFormat::Kind::Other:
            piped.outcome = StreamOutcome::Decline();
            break;
    }
    return piped;
}

Piped Pipelined(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Pipelined(file);
}

// The process's threads: a decode leaves none behind.
int ThreadCount() {
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

// The zlib stream of a PNG file: its IDAT chunks' data in order.
QByteArray IdatStream(const QByteArray& png) {
    QByteArray stream;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > png.size() - at - 12) break;
        if (png.mid(at + 4, 4) == "IDAT") stream += png.mid(at + 8, length);
        at += 12 + length;
    }
    return stream;
}

struct Inflated {
    StreamInflater::Result result = StreamInflater::Result::Refused;
    QByteArray bytes;
    bool inBounds = true;  // no call moved a pointer outside its buffer
};

Inflated InflateAll(const QByteArray& stream, StreamInflater::Engine engine) {
    StreamInflater inflater(engine);
    Inflated inflated;
    if (!inflater.IsReady()) return inflated;
    const auto* in = reinterpret_cast<const std::uint8_t*>(stream.constData());
    std::size_t left = std::size_t(stream.size());
    std::uint8_t piece[4096];
    for (int stalled = 0; stalled < 2;) {
        std::uint8_t* out = piece;
        std::size_t room = sizeof piece;
        const std::size_t before = left;
        const std::uint8_t* const inBefore = in;
        inflated.result = inflater.Inflate(in, left, out, room);
        if (left > before || in < inBefore || in - inBefore != std::ptrdiff_t(before - left) ||
            out < piece || room > sizeof piece ||
            out - piece != std::ptrdiff_t(sizeof piece - room)) {
            inflated.inBounds = false;
            break;
        }
        inflated.bytes.append(reinterpret_cast<const char*>(piece), qsizetype(out - piece));
        if (inflated.result != StreamInflater::Result::Going) break;
        stalled = left == before && room == sizeof piece ? stalled + 1 : 0;
    }
    return inflated;
}

const QSize kSmall(37, 23);

// How a test picture is written: its format and what that format's writer
// is told. Every sample is noise.
struct PngPicture {
    int colour = PNG_COLOR_TYPE_RGB;
    int bits = 8;
    // One colour marked transparent, found at every fifth pixel of each row.
    bool transparentColour = false;
    bool interlaced = false;
};
struct JpegPicture {
    J_COLOR_SPACE input = JCS_RGB;
    bool progressive = false;
    bool fullChroma = false;
    bool restartMarkers = false;  // one after every row of blocks
};
struct TiffPicture {
    int photometric = PHOTOMETRIC_RGB;
    int bits = 8;
    int extraSample = -1;  // EXTRASAMPLE_..., none when negative
    int compression = COMPRESSION_LZW;
    bool tiled = false;
    bool separatePlanes = false;
    bool twoPages = false;  // the second one plain black
};
using TestPicture = std::variant<PngPicture, JpegPicture, TiffPicture>;

// explicitAlpha: a transparent colour written instead as an alpha channel
// that says the same.
bool WritePng(const PngPicture& picture, const QString& path, bool explicitAlpha) {
    const int w = kSmall.width();
    const int bits = picture.bits;
    const bool palette = picture.colour == PNG_COLOR_TYPE_PALETTE;
    const bool alpha = picture.colour & PNG_COLOR_MASK_ALPHA;
    const int channels =
        (palette || !(picture.colour & PNG_COLOR_MASK_COLOR) ? 1 : 3) + (alpha ? 1 : 0);
    PngFileWriter writer;
    writer.ColourType = picture.colour;
    writer.BitDepth = bits;
    RowSource source = NoiseRows(w, channels, bits, alpha ? channels - 1 : -1);
    if (palette) {
        writer.Palette = NoisePalette(1 << bits);
        if (bits == 8)
            source = [w](int y, uchar* out) {
                for (int x = 0; x < w; ++x) out[x] = uchar(Noise(x, y, 0));
            };
    }
    if (picture.transparentColour) {
        // The colour at every fifth pixel of each row, noise between.
        writer.TransparentColour = true;
        const quint32 full = bits == 16 ? 0xFFFF : 0xFF;
        const quint16 colour[3] = {quint16(bits == 8 ? 0x34 : 0x1234), 0x56, 0x78};
        std::copy_n(colour, 3, writer.Transparent);
        RowSource noise = source;
        auto put = [bits](uchar* out, int at, quint32 value) {
            if (bits == 16)
                reinterpret_cast<quint16*>(out)[at] = quint16(value);
            else
                out[at] = uchar(value);
        };
        source = [=](int y, uchar* out) {
            noise(y, out);
            for (int x = 0; x < w; x += 5)
                for (int c = 0; c < channels; ++c) put(out, x * channels + c, colour[c]);
        };
        if (explicitAlpha) {
            writer.TransparentColour = false;
            writer.ColourType |= PNG_COLOR_MASK_ALPHA;
            RowSource opaque = source;
            source = [=](int y, uchar* out) {
                std::vector<quint16> samples(size_t(w * channels));
                opaque(y, reinterpret_cast<uchar*>(samples.data()));
                const auto* bytes = reinterpret_cast<const uchar*>(samples.data());
                for (int x = 0; x < w; ++x) {
                    for (int c = 0; c < channels; ++c)
                        put(out, x * (channels + 1) + c,
                            bits == 16 ? samples[size_t(x * channels + c)]
                                       : bytes[x * channels + c]);
                    bool transparent = true;
                    for (int c = 0; c < channels; ++c)
                        transparent &= (bits == 16 ? samples[size_t(x * channels + c)]
                                                   : bytes[x * channels + c]) == colour[c];
                    put(out, x * (channels + 1) + channels, transparent ? 0 : full);
                }
            };
        }
    }
    writer.Interlaced = picture.interlaced;
    return writer.Write(path, kSmall, source);
}

bool WriteJpeg(const JpegPicture& picture, const QString& path) {
    JpegFileWriter writer;
    writer.Input = picture.input;
    writer.Progressive = picture.progressive;
    writer.FullChroma = picture.fullChroma;
    writer.RestartRows = picture.restartMarkers ? 1 : 0;
    const int channels = picture.input == JCS_GRAYSCALE ? 1 : picture.input == JCS_CMYK ? 4 : 3;
    return writer.Write(path, kSmall, NoiseRows(kSmall.width(), channels, 8));
}

bool WriteTiff(const TiffPicture& picture, const QString& path) {
    const int w = kSmall.width();
    const bool colour =
        picture.photometric == PHOTOMETRIC_RGB || picture.photometric == PHOTOMETRIC_YCBCR;
    const int channels = (colour ? 3 : 1) + (picture.extraSample >= 0 ? 1 : 0);
    const bool alpha = picture.extraSample == EXTRASAMPLE_ASSOCALPHA ||
                       picture.extraSample == EXTRASAMPLE_UNASSALPHA;
    TiffFileWriter writer;
    writer.Photometric = picture.photometric;
    writer.BitsPerSample = picture.bits;
    writer.SamplesPerPixel = channels;
    writer.ExtraSample = picture.extraSample;
    writer.Compression = picture.compression;
    writer.TileSide = picture.tiled ? 16 : 0;
    writer.SeparatePlanes = picture.separatePlanes;
    if (picture.photometric == PHOTOMETRIC_PALETTE) writer.Palette = NoisePalette(256);
    const RowSource noise = NoiseRows(w, channels, picture.bits, alpha ? channels - 1 : -1);
    if (!picture.twoPages) return writer.Write(path, kSmall, noise);
    // The second page is plain black: only the first may show.
    const RowSource black = [=](int, uchar* out) { std::fill_n(out, w * channels, 0); };
    return writer.Write(path, kSmall, {noise, black});
}

bool WritePicture(const TestPicture& picture, const QString& path, bool explicitAlpha = false) {
    if (const auto* png = std::get_if<PngPicture>(&picture))
        return WritePng(*png, path, explicitAlpha);
    if (const auto* jpeg = std::get_if<JpegPicture>(&picture)) return WriteJpeg(*jpeg, path);
    return WriteTiff(std::get<TiffPicture>(picture), path);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Smooth shading with a little grain, as a scanned chart has: fine enough
// for JPEG to keep, rough enough that misplaced weights show.
RowSource ChartRows(int width, int channels) {
    auto wave = [](int v) { return qAbs(v % 510 - 255); };
    return [=](int y, uchar* out) {
        for (int x = 0; x < width; ++x) {
            const int grain = int(Noise(x, y, 7) % 9);
            const int shade[3] = {std::min(255, wave(x / 37) + grain),
                                  std::min(255, wave(y / 3) + grain),
                                  std::min(255, wave((x + y) / 53) + grain)};
            for (int c = 0; c < channels; ++c) out[x * channels + c] = uchar(shade[c % 3]);
        }
    };
}

bool WriteLarge(const QString& format, const QString& path, QSize size) {
    if (format == "PNG") {
        PngFileWriter writer;
        writer.Level = 1;
        return writer.Write(path, size, ChartRows(size.width(), 3));
    }
    if (format == "JPEG") return JpegFileWriter().Write(path, size, ChartRows(size.width(), 3));
    TiffFileWriter writer;
    writer.RowsPerStrip = 8;
    return writer.Write(path, size, ChartRows(size.width(), 3));
}

// The first entry of a tag in the first directory of a little-endian TIFF
// file made here, its value (or offset) field set.
bool PatchTiffTag(QByteArray& bytes, quint16 tag, quint32 value) {
    if (bytes.size() < 8) return false;
    const qsizetype directory = qFromLittleEndian<quint32>(bytes.constData() + 4);
    if (directory + 2 > bytes.size()) return false;
    const int count = qFromLittleEndian<quint16>(bytes.constData() + directory);
    for (int i = 0; i < count; ++i) {
        char* entry = bytes.data() + directory + 2 + 12 * i;
        if (entry + 12 > bytes.constData() + bytes.size()) return false;
        if (qFromLittleEndian<quint16>(entry) != tag) continue;
        const quint16 type = qFromLittleEndian<quint16>(entry + 2);
        if (type == TIFF_SHORT)
            qToLittleEndian<quint16>(quint16(value), entry + 8);
        else
            qToLittleEndian<quint32>(value, entry + 8);
        return true;
    }
    return false;
}

// What is left of a file made here for the hostile rows below.
QByteArray Damaged(const QString& kind, const QByteArray& bytes) {
    if (kind == "header only") return bytes.left(40);
    if (kind == "cut at 30%") return bytes.left(bytes.size() * 3 / 10);
    if (kind == "cut at 60%") return bytes.left(bytes.size() * 6 / 10);
    if (kind == "cut at 90%") return bytes.left(bytes.size() * 9 / 10);
    // Every row there, the end chunk (12 bytes) or marker (2) gone.
    if (kind == "no end chunk") return bytes.chopped(12);
    if (kind == "no end marker") return bytes.chopped(2);
    if (kind == "a block of zeros in the middle") {
        QByteArray damaged = bytes;
        std::fill_n(damaged.data() + damaged.size() / 2, 64, '\0');
        return damaged;
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(TestPicture)

// A JPEG decoded in two parts at once: how it is written, and whether it
// may be cut (one scan of Huffman-coded blocks, no restart markers).
struct CutJpeg {
    J_COLOR_SPACE input = JCS_RGB;
    bool fullChroma = false;
    bool optimizedTables = false;
    bool progressive = false;
    int restartRows = 0;
    QSize size{301, 203};
    bool chart = false;      // the chart's rows instead of noise, for large sizes
    bool fillBytes = false;  // see WithFillBytes
    bool cut = true;
};
Q_DECLARE_METATYPE(CutJpeg)

// libjpeg skips any number of 0xFF bytes before a marker and before the
// zero of a stuffed 0xFF. No encoder writes them there, so they are put
// into an encoder's file, from `from` of its entropy-coded data on.
QByteArray WithFillBytes(const QByteArray& file, double from) {
    const qsizetype scan = file.indexOf("\xFF\xDA");
    if (scan < 0 || scan + 4 > file.size()) return {};
    const qsizetype data = scan + 2 + (uchar(file[scan + 2]) << 8 | uchar(file[scan + 3]));
    const auto first = data + qsizetype(from * double(file.size() - data));
    QByteArray filled = file.first(first);
    for (qsizetype at = first; at < file.size(); ++at) {
        if (uchar(file[at]) == 0xFF) filled.append(3, char(0xFF));
        filled.append(file[at]);
    }
    return filled;
}

bool WriteCutJpeg(const CutJpeg& picture, const QString& path) {
    JpegFileWriter writer;
    writer.Input = picture.input;
    writer.FullChroma = picture.fullChroma;
    writer.OptimizedTables = picture.optimizedTables;
    writer.Progressive = picture.progressive;
    writer.RestartRows = picture.restartRows;
    const int channels = picture.input == JCS_GRAYSCALE ? 1 : picture.input == JCS_CMYK ? 4 : 3;
    const int width = picture.size.width();
    if (!writer.Write(path, picture.size,
                      picture.chart ? ChartRows(width, channels) : NoiseRows(width, channels, 8)))
        return false;
    return !picture.fillBytes || WriteBytes(path, WithFillBytes(ReadAll(path), 0));
}

// A decoder that cuts any picture it can, at the given share of its data,
// and how it told the progress: on this thread, never past the end.
struct Cut {
    Piped piped;
    bool wasSplit = false;
    qint64 mostTold = -1;
};

Cut DecodeCut(const QString& path, double upperShare) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    Cut cut;
    QThread* const decoding = QThread::currentThread();
    const ReadProgress::TWatcher watch = [&cut, decoding](qint64 position, qint64) {
        cut.piped.toldOnThisThreadOnly &= QThread::currentThread() == decoding;
        cut.piped.lastTold = position;
        cut.mostTold = std::max(cut.mostTold, position);
    };
    JpegStreamDecoder decoder(file,
                              {.leastBytes = 0, .upperShare = upperShare, .upperWaits = true});
    cut.piped.outcome = decoder.DecodePipelined(watch);
    cut.wasSplit = decoder.WasSplit();
    return cut;
}

namespace {

// Every variant of the formats decoded row by row, and some left to the
// readers, with whether they are streamed.
void PictureTable() {
    QTest::addColumn<TestPicture>("picture");
    QTest::addColumn<bool>("streamed");  // false: left to the readers
    auto row = [](const char* name, const TestPicture& picture, bool streamed = true) {
        QTest::newRow(name) << picture << streamed;
    };
    constexpr int kGrey = PNG_COLOR_TYPE_GRAY, kRgba = PNG_COLOR_TYPE_RGB_ALPHA,
                  kGreyAlpha = PNG_COLOR_TYPE_GA, kPalette = PNG_COLOR_TYPE_PALETTE;
    row("PNG RGB", PngPicture{});
    row("PNG RGBA", PngPicture{.colour = kRgba});
    row("PNG grey", PngPicture{.colour = kGrey});
    row("PNG grey, 1 bit", PngPicture{.colour = kGrey, .bits = 1});
    row("PNG grey, 2 bits", PngPicture{.colour = kGrey, .bits = 2});
    row("PNG grey, 4 bits", PngPicture{.colour = kGrey, .bits = 4});
    row("PNG grey and alpha", PngPicture{.colour = kGreyAlpha});
    row("PNG RGB, 16 bits", PngPicture{.bits = 16});
    row("PNG RGBA, 16 bits", PngPicture{.colour = kRgba, .bits = 16});
    row("PNG grey, 16 bits", PngPicture{.colour = kGrey, .bits = 16});
    row("PNG grey and alpha, 16 bits", PngPicture{.colour = kGreyAlpha, .bits = 16});
    row("PNG palette with transparency", PngPicture{.colour = kPalette});
    row("PNG palette, 4 bits", PngPicture{.colour = kPalette, .bits = 4});
    row("PNG RGB, transparent colour", PngPicture{.transparentColour = true});
    row("PNG grey, transparent colour", PngPicture{.colour = kGrey, .transparentColour = true});
    row("PNG RGB, 16 bits, transparent colour", PngPicture{.bits = 16, .transparentColour = true});
    row("PNG RGBA, interlaced", PngPicture{.colour = kRgba, .interlaced = true}, false);

    row("JPEG baseline", JpegPicture{});
    row("JPEG baseline 4:4:4", JpegPicture{.fullChroma = true});
    row("JPEG progressive", JpegPicture{.progressive = true});
    row("JPEG grey", JpegPicture{.input = JCS_GRAYSCALE});
    row("JPEG CMYK", JpegPicture{.input = JCS_CMYK});
    row("JPEG with restart markers", JpegPicture{.restartMarkers = true});

    constexpr int kStraightAlpha = EXTRASAMPLE_UNASSALPHA, kBlackIsZero = PHOTOMETRIC_MINISBLACK,
                  kWhiteIsZero = PHOTOMETRIC_MINISWHITE, kFax = COMPRESSION_CCITTFAX4;
    row("TIFF RGB", TiffPicture{});
    row("TIFF RGB uncompressed", TiffPicture{.compression = COMPRESSION_NONE});
    row("TIFF RGB deflate", TiffPicture{.compression = COMPRESSION_ADOBE_DEFLATE});
    row("TIFF RGB PackBits", TiffPicture{.compression = COMPRESSION_PACKBITS});
    row("TIFF RGBA", TiffPicture{.extraSample = kStraightAlpha});
    row("TIFF RGBA premultiplied", TiffPicture{.extraSample = EXTRASAMPLE_ASSOCALPHA});
    row("TIFF RGBA, fourth sample unspecified",
        TiffPicture{.extraSample = EXTRASAMPLE_UNSPECIFIED});
    row("TIFF grey", TiffPicture{.photometric = kBlackIsZero});
    row("TIFF grey, 16 bits", TiffPicture{.photometric = kBlackIsZero, .bits = 16});
    row("TIFF bilevel", TiffPicture{.photometric = kBlackIsZero, .bits = 1, .compression = kFax});
    row("TIFF bilevel, white is zero",
        TiffPicture{.photometric = kWhiteIsZero, .bits = 1, .compression = kFax});
    row("TIFF palette", TiffPicture{.photometric = PHOTOMETRIC_PALETTE});
    row("TIFF RGB, 16 bits", TiffPicture{.bits = 16});
    row("TIFF RGBA, 16 bits", TiffPicture{.bits = 16, .extraSample = kStraightAlpha});
    row("TIFF JPEG",
        TiffPicture{.photometric = PHOTOMETRIC_YCBCR, .compression = COMPRESSION_JPEG});
    row("TIFF RGB, two pages", TiffPicture{.twoPages = true});
    row("TIFF RGB tiled", TiffPicture{.tiled = true});
    row("TIFF RGBA, 16 bits, tiled",
        TiffPicture{.bits = 16, .extraSample = kStraightAlpha, .tiled = true});
    row("TIFF bilevel tiled",
        TiffPicture{.photometric = kBlackIsZero, .bits = 1, .compression = kFax, .tiled = true});
    row("TIFF grey, white is zero", TiffPicture{.photometric = kWhiteIsZero});
    row("TIFF RGB in separate planes", TiffPicture{.separatePlanes = true}, false);
    row("TIFF grey, 16 bits, white is zero", TiffPicture{.photometric = kWhiteIsZero, .bits = 16},
        false);
}

}  // namespace

// The formats decoded row by row: the same pixels as the image readers give
// for every variant, the variants left to the readers going to them, and
// truncated, corrupt and lying files failing cleanly.
class PictureStreamTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void formatFromFirstBytes_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("kind");
        using K = PictureFormat::Kind;
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n", 8) << int(K::Png);
        QTest::newRow("PNG, damaged signature")
            << QByteArray("\x89PNG\r\n\x1a\r", 8) << int(K::Other);
        QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xE0", 4) << int(K::Jpeg);
        QTest::newRow("TIFF, little-endian") << QByteArray("II*\0", 4) << int(K::Tiff);
        QTest::newRow("TIFF, big-endian") << QByteArray("MM\0*", 4) << int(K::Tiff);
        QTest::newRow("TIFF, 64-bit") << QByteArray("II+\0", 4) << int(K::Tiff);
        QTest::newRow("GIF") << QByteArray("GIF89a") << int(K::Other);
        QTest::newRow("short") << QByteArray("\xFF\xD8", 2) << int(K::Other);
        QTest::newRow("nothing") << QByteArray() << int(K::Other);
    }
    void formatFromFirstBytes() {
        QFETCH(QByteArray, head);
        QFETCH(int, kind);
        QCOMPARE(int(PictureFormat::Recognise(head)), kind);
    }

    void samePixelsAsTheReaders_data() { PictureTable(); }
    void samePixelsAsTheReaders() {
        QFETCH(TestPicture, picture);
        QFETCH(bool, streamed);
        const QString file = dir_.filePath("variant.bin");
        QVERIFY(WritePicture(picture, file));
        // The readers misread a 16-bit picture with a transparent colour
        // (they take its rows for four samples a pixel): what they make of
        // the same pixels with an alpha channel is the reference.
        const QString reference = dir_.filePath("reference.bin");
        const auto* png = std::get_if<PngPicture>(&picture);
        QVERIFY(WritePicture(picture, reference, png && png->transparentColour));
        QImage expected = FromReaders(reference);
        QCOMPARE(expected.size(), kSmall);
        // Premultiplied samples above their alpha, which noise makes, are
        // held to it here and left as they are by the readers.
        const auto* tiff = std::get_if<TiffPicture>(&picture);
        if (tiff && tiff->extraSample == EXTRASAMPLE_ASSOCALPHA)
            for (int y = 0; y < expected.height(); ++y)
                RowConversion::HoldToAlpha(reinterpret_cast<QRgb*>(expected.scanLine(y)),
                                           expected.width());

        const StreamOutcome outcome = Streamed(file);
        QCOMPARE(outcome.status, streamed ? DecodeOutcome::Decoded : DecodeOutcome::Declined);
        TBitmap bitmap;
        const Outcome loaded = Load(bitmap, file);
        QVERIFY2(loaded.failure.isEmpty(), qPrintable(loaded.message));
        QCOMPARE(bitmap.Image().format(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < kSmall.height(); ++y)
            for (int x = 0; x < kSmall.width(); ++x) {
                const QRgb got = reinterpret_cast<const QRgb*>(bitmap.Image().constScanLine(y))[x];
                const QRgb want = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
                if (got != want)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, the readers give %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(got, 8, 16, QChar(u'0'))
                                         .arg(want, 8, 16, QChar(u'0'))));
            }
    }

    // The decoders on two cores against the single-threaded ones: the same
    // outcome and the same pixels for every variant, the progress told on
    // the decoding thread alone, up to the end of the file.
    void pipelinedAsOneThread_data() { PictureTable(); }
    void pipelinedAsOneThread() {
        QFETCH(TestPicture, picture);
        const QString file = dir_.filePath("variant.bin");
        QVERIFY(WritePicture(picture, file));
        const StreamOutcome single = Streamed(file);
        const Piped piped = Pipelined(file);
        QCOMPARE(piped.outcome.status, single.status);
        QCOMPARE(piped.outcome.image, single.image);
        QVERIFY(piped.toldOnThisThreadOnly);
        if (single.status == DecodeOutcome::Decoded &&
            !std::holds_alternative<TiffPicture>(picture))
            QCOMPARE(piped.lastTold, QFileInfo(file).size());
    }

    // Many more rows than the rings hold, shrunk on the way.
    void pipelinedAsOneThreadWhenShrunk_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("source");
        for (const char* format : {"PNG", "JPEG", "TIFF"}) {
            QTest::addRow("%s, wide", format) << format << QSize(10001, 300);
            QTest::addRow("%s, tall", format) << format << QSize(200, 17000);
        }
    }
    void pipelinedAsOneThreadWhenShrunk() {
        QFETCH(QString, format);
        QFETCH(QSize, source);
        const QString file = dir_.filePath("large.bin");
        QVERIFY(WriteLarge(format, file, source));
        const StreamOutcome single = Streamed(file);
        QCOMPARE(single.status, DecodeOutcome::Decoded);
        const Piped piped = Pipelined(file);
        QCOMPARE(piped.outcome.status, DecodeOutcome::Decoded);
        QCOMPARE(piped.outcome.image, single.image);
        QVERIFY(piped.toldOnThisThreadOnly);
    }

    // A decode on two cores that ends early, the worker's side or the
    // taker's: the same outcome as on one thread (the previous picture kept
    // when that fails), and no thread left running.
    void pipelineStopsCleanly_data() {
        QTest::addColumn<QByteArray>("bytes");
        // Taller than the ring, so that the worker is mid-way when it ends.
        QImage tall(64, 3000, QImage::Format_ARGB32);
        for (int y = 0; y < tall.height(); ++y)
            for (int x = 0; x < tall.width(); ++x)
                tall.setPixel(
                    x, y,
                    qRgba(int(Noise(x, y, 0) & 0xFF), y & 0xFF, x * 4, int(Noise(x, y, 1) & 0xFF)));
        const SegmentedPngBuilder png(tall, 700);
        using F = SegmentedPngBuilder::Fault;
        QTest::newRow("PNG, a row of unknown filter type") << png.Build(F::UnknownFilter);
        QTest::newRow("PNG, a chunk's checksum wrong") << png.Build(F::WrongIdatCrc);
        QTest::newRow("PNG, the stream's checksum wrong") << png.Build(F::WrongAdler);
        QTest::newRow("PNG, no end chunk") << png.Build(F::NoEnd);
        QTest::newRow("PNG, whole") << png.Build(F::NoIndex);
        QTest::newRow("PNG, cut short") << png.Build(F::NoIndex).first(100000);
        for (const char* format : {"JPEG", "TIFF"}) {
            const QString file = dir_.filePath("tall.bin");
            QVERIFY(WriteLarge(format, file, QSize(200, 17000)));
            const QByteArray bytes = ReadAll(file);
            QTest::addRow("%s, whole", format) << bytes;
            QTest::addRow("%s, cut short", format) << bytes.first(bytes.size() / 2);
        }
    }
    void pipelineStopsCleanly() {
        QFETCH(QByteArray, bytes);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        StreamOutcome single;
        switch (PictureFormat::Recognise(bytes)) {
            case PictureFormat::Kind::Png:
                single = PngStreamDecoder(buffer).Decode();
                break;
            case PictureFormat::Kind::Jpeg:
                single = JpegStreamDecoder(buffer).Decode();
                break;
            default:
                single = TiffStreamDecoder(buffer).Decode();
                break;
        }
        const QString file = dir_.filePath("stopped.bin");
        QVERIFY(WriteBytes(file, bytes));
        const int threads = ThreadCount();
        const QImage previous = Halves(QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
        TBitmap bitmap(previous);
        const Outcome outcome = Load(bitmap, file);
        QCOMPARE(ThreadCount(), threads);
        if (single.status == DecodeOutcome::Decoded) {
            QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.message));
            QCOMPARE(bitmap.Image(), single.image);
        } else {
            QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
            QCOMPARE(bitmap.Image(), previous);
        }
    }

    // A JPEG cut in two, the lower part decoded from a file spliced out of
    // the whole, its data moved to a byte's start and its DC predictors
    // written in: the same pixels as one decoder at any cut, for every
    // layout of blocks, shrunk or not; files that can't be cut are decoded
    // whole.
    void cutInTwoAsOneThread_data() {
        QTest::addColumn<CutJpeg>("picture");
        QTest::addColumn<double>("share");
        const QList<QPair<const char*, CutJpeg>> pictures = {
            {"4:2:0", {}},
            {"4:4:4", {.fullChroma = true}},
            {"grey", {.input = JCS_GRAYSCALE}},
            {"CMYK", {.input = JCS_CMYK}},
            {"optimized tables", {.optimizedTables = true}},
            // The scanner stops at fill, so a file with it early isn't cut.
            {"fill bytes", {.fillBytes = true, .cut = false}},
            {"one pixel over whole units", {.size = QSize(33, 97)}},
            {"tall, shrunk", {.size = QSize(200, 17000), .chart = true}},
            {"wide, shrunk", {.size = QSize(10001, 300), .chart = true}},
            {"progressive", {.progressive = true, .cut = false}},
            {"restart markers", {.restartRows = 1, .cut = false}},
        };
        for (const auto& [name, picture] : pictures)
            for (const double share : {0.2, 0.5, 0.7})
                QTest::addRow("%s, cut at %.1f", name, share) << picture << share;
    }
    void cutInTwoAsOneThread() {
        QFETCH(CutJpeg, picture);
        QFETCH(double, share);
        const QString file = dir_.filePath("cut.jpg");
        QVERIFY(WriteCutJpeg(picture, file));
        const StreamOutcome single = Streamed(file);
        QCOMPARE(single.status, DecodeOutcome::Decoded);
        const Cut cut = DecodeCut(file, share);
        QCOMPARE(cut.wasSplit, picture.cut);
        QCOMPARE(cut.piped.outcome.status, DecodeOutcome::Decoded);
        QCOMPARE(cut.piped.outcome.image, single.image);
        QVERIFY(cut.piped.toldOnThisThreadOnly);
        QCOMPARE(cut.piped.lastTold, QFileInfo(file).size());
        QCOMPARE(cut.mostTold, QFileInfo(file).size());
    }

    // A file cut short, or spoilt, after the cut, or with data there that
    // libjpeg reads its own way: never a picture from the two parts, and no
    // thread left behind; the decoder on one thread decides, and says what
    // is wrong.
    void cutInTwoStopsCleanly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");  // whether one decoder makes a picture
        const QString file = dir_.filePath("whole.jpg");
        QVERIFY(WriteCutJpeg({.size = QSize(400, 600)}, file));
        const QByteArray whole = ReadAll(file);
        QTest::newRow("cut short at 0.8") << whole.first(whole.size() * 8 / 10) << false;
        QTest::newRow("no end marker") << whole.first(whole.size() - 2) << false;
        QByteArray marker = whole;
        marker[marker.size() * 8 / 10] = char(0xFF);
        marker[marker.size() * 8 / 10 + 1] = char(0xD9);
        QTest::newRow("an end marker at 0.8") << marker << false;
        QTest::newRow("fill before stuffed bytes from 0.8") << WithFillBytes(whole, 0.8) << true;
    }
    void cutInTwoStopsCleanly() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        const QString file = dir_.filePath("stopped.jpg");
        QVERIFY(WriteBytes(file, bytes));
        QCOMPARE(Streamed(file).status, whole ? DecodeOutcome::Decoded : DecodeOutcome::Failed);
        const int threads = ThreadCount();
        const Cut cut = DecodeCut(file, 0.5);
        QVERIFY(cut.wasSplit);
        QVERIFY(cut.piped.outcome.status != DecodeOutcome::Decoded);
        QVERIFY(cut.piped.outcome.image.isNull());
        QCOMPARE(ThreadCount(), threads);
    }

    // The fast inflater gives zlib's bytes to the last, on every PNG here
    // and on a large one; a stream it refuses goes to zlib whole.
    void fastInflaterAgreesWithZlib() {
        if (!StreamInflater::HasFastEngine()) QSKIP("built without the fast inflater");
        QStringList files;
        const QDir hostile(DataDir() + QStringLiteral("/hostile"));
        for (const QString& name : hostile.entryList({QStringLiteral("*.png")}, QDir::Files))
            files << hostile.filePath(name);
        const QString large = dir_.filePath("inflate.png");
        QVERIFY(WriteLarge(QStringLiteral("PNG"), large, QSize(3000, 2000)));
        files << large;
        int agreed = 0;
        for (const QString& path : files) {
            const QByteArray stream = IdatStream(ReadAll(path));
            if (stream.isEmpty()) continue;
            const Inflated fast = InflateAll(stream, StreamInflater::Engine::Fastest);
            const Inflated zlib = InflateAll(stream, StreamInflater::Engine::Zlib);
            const QString name = QFileInfo(path).fileName();
            QVERIFY2(fast.inBounds && zlib.inBounds, qPrintable(name));
            if (fast.result == StreamInflater::Result::Refused) {
                QVERIFY2(zlib.bytes.startsWith(fast.bytes), qPrintable(name));
                continue;
            }
            QVERIFY2(fast.result == zlib.result, qPrintable(name));
            QVERIFY2(fast.bytes == zlib.bytes, qPrintable(name));
            ++agreed;
        }
        QVERIFY(agreed >= 5);
    }

    // Streams an engine stops on leave the caller's pointers inside their
    // buffers, whatever the engine's own counters say then.
    void refusedStreamsStayInBounds_data() {
        QTest::addColumn<QByteArray>("png");
        // Found by fuzzing: ISA-L stopped on its second chunk with an output
        // count larger than the room it had been given.
        QTest::newRow("two chunks, the second one damaged") << QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAYAAAAEEAYAAAD9lJIAAAAAGElEQVR42mP4/58BCCn/R6exiwLpwacEAA"
            "AAAAAAALZAAAAA9gAAAP2UkgAAAAAYSURBVHjaY/j/nwEI/v9Hp7GLAunBpwQAAAAAAAAAtkAASEVORK5C"
            "YII=");
    }
    void refusedStreamsStayInBounds() {
        QFETCH(QByteArray, png);
        const QByteArray stream = IdatStream(png);
        QVERIFY(!stream.isEmpty());
        for (const auto engine : {StreamInflater::Engine::Fastest, StreamInflater::Engine::Zlib}) {
            const Inflated inflated = InflateAll(stream, engine);
            QVERIFY(inflated.inBounds);
            QCOMPARE(inflated.result, StreamInflater::Result::Refused);
        }
        TBitmap bitmap;
        const QString file = dir_.filePath("damaged.png");
        QVERIFY(WriteBytes(file, png));
        QCOMPARE(Load(bitmap, file).failure, QStringLiteral("EBitmapLoadingFailed"));
    }

    void animatedPngShowsItsFirstFrame() {
        // An animation's control chunks before the picture, whose first
        // frame is then the picture itself: decoders that don't animate
        // show it, and so does loading.
        const QString file = dir_.filePath("animated.png");
        QVERIFY(WritePicture(PngPicture{.colour = PNG_COLOR_TYPE_RGB_ALPHA}, file));
        const QImage expected = FromReaders(file);
        QByteArray control(8, '\0');
        qToBigEndian<quint32>(2, control.data());  // frames
        QByteArray frame(26, '\0');
        qToBigEndian<quint32>(quint32(kSmall.width()), frame.data() + 4);
        qToBigEndian<quint32>(quint32(kSmall.height()), frame.data() + 8);
        QVERIFY(
            WriteBytes(file, WithChunk(WithChunk(ReadAll(file), "fcTL", frame), "acTL", control)));
        TBitmap bitmap;
        const Outcome loaded = Load(bitmap, file);
        QVERIFY2(loaded.failure.isEmpty(), qPrintable(loaded.message));
        QCOMPARE(bitmap.Image(), expected);
    }

    void shrunkLikeTheReaders_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("source");
        QTest::addColumn<int>("largest");  // difference of any channel
        QTest::addColumn<double>("mean");
        // JPEG comes reduced by a power of two from the DCT before the
        // averaging: close to, not the same as, averaging the full picture.
        for (const char* format : {"PNG", "TIFF", "JPEG"}) {
            const bool jpeg = QByteArray(format) == "JPEG";
            const int largest = jpeg ? 12 : 2;
            const double mean = jpeg ? 1.5 : 0.6;
            QTest::addRow("%s, a little over", format)
                << format << QSize(10001, 300) << largest << mean;
            QTest::addRow("%s, twice and a bit, tall", format)
                << format << QSize(200, 17000) << largest << mean;
            QTest::addRow("%s, four times and more", format)
                << format << QSize(33000, 150) << largest << mean;
        }
    }
    void shrunkLikeTheReaders() {
        QFETCH(QString, format);
        QFETCH(QSize, source);
        QFETCH(int, largest);
        QFETCH(double, mean);
        const QString file = dir_.filePath("large.bin");
        QVERIFY(WriteLarge(format, file, source));
        const QSize kept = PictureSize::Shrunk(source);
        const QImage expected =
            FromReaders(file).scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

        TBitmap bitmap;
        const Outcome loaded = Load(bitmap, file);
        QVERIFY2(loaded.failure.isEmpty(), qPrintable(loaded.message));
        QCOMPARE(bitmap.Image().size(), kept);
        int worst = 0;
        double sum = 0;
        for (int y = 0; y < kept.height(); ++y)
            for (int x = 0; x < kept.width(); ++x) {
                const QRgb a = bitmap.Image().pixel(x, y), b = expected.pixel(x, y);
                QCOMPARE(qAlpha(a), 255);
                for (int shift = 0; shift < 24; shift += 8) {
                    const int d = qAbs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
                    worst = std::max(worst, d);
                    sum += d;
                }
            }
        const double average = sum / (3.0 * kept.width() * kept.height());
        QVERIFY2(worst <= largest && average <= mean,
                 qPrintable(QStringLiteral("largest %1, mean %2").arg(worst).arg(average)));
    }

    void damagedFilesFail_data() {
        QTest::addColumn<TestPicture>("picture");
        QTest::addColumn<QString>("damage");
        const TestPicture pngRgb = PngPicture{}, jpegBaseline = JpegPicture{},
                          tiffRgb = TiffPicture{};
        const std::pair<const char*, TestPicture> pictures[] = {
            {"PNG RGB", pngRgb},
            {"PNG RGBA, 16 bits", PngPicture{.colour = PNG_COLOR_TYPE_RGB_ALPHA, .bits = 16}},
            {"JPEG baseline", jpegBaseline},
            {"JPEG progressive", JpegPicture{.progressive = true}},
            {"TIFF RGB", tiffRgb},
            {"TIFF RGB uncompressed", TiffPicture{.compression = COMPRESSION_NONE}},
            {"TIFF bilevel", TiffPicture{.photometric = PHOTOMETRIC_MINISBLACK,
                                         .bits = 1,
                                         .compression = COMPRESSION_CCITTFAX4}},
        };
        for (const auto& [name, picture] : pictures)
            for (const char* damage : {"header only", "cut at 30%", "cut at 60%"})
                QTest::addRow("%s, %s", name, damage) << picture << damage;
        // Where the format can tell: PNG checks every chunk, TIFF keeps its
        // directory at the end.
        QTest::newRow("PNG, zeros in the middle") << pngRgb << "a block of zeros in the middle";
        QTest::newRow("TIFF, cut at 90%") << tiffRgb << "cut at 90%";
        QTest::newRow("PNG, no end chunk") << pngRgb << "no end chunk";
        QTest::newRow("JPEG, no end marker") << jpegBaseline << "no end marker";
    }
    void damagedFilesFail() {
        QFETCH(TestPicture, picture);
        QFETCH(QString, damage);
        const QString file = dir_.filePath("damaged.bin");
        QVERIFY(WritePicture(picture, file));
        QVERIFY(WriteBytes(file, Damaged(damage, ReadAll(file))));
        const QImage previous = Halves(QSize(3, 2), QImage::Format_ARGB32_Premultiplied);
        TBitmap bitmap(previous);
        const Outcome outcome = Load(bitmap, file);
        QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
        QCOMPARE(bitmap.Image(), previous);
    }

    void lyingTiffNeverShowsWrongPixels_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<bool>("mayLoad");  // when the pixels are all there all the same
        QTest::newRow("strip far past the end")
            << int(TIFFTAG_STRIPOFFSETS) << quint32(0xFFFFFF00) << false;
        QTest::newRow("strip longer than the file")
            << int(TIFFTAG_STRIPBYTECOUNTS) << quint32(0xFFFFFF00) << true;
        QTest::newRow("strip of nothing") << int(TIFFTAG_STRIPBYTECOUNTS) << quint32(0) << true;
        QTest::newRow("wider than its strips")
            << int(TIFFTAG_IMAGEWIDTH) << quint32(30000) << false;
        QTest::newRow("taller than its strips")
            << int(TIFFTAG_IMAGELENGTH) << quint32(30000) << false;
        QTest::newRow("rows a strip past counting")
            << int(TIFFTAG_ROWSPERSTRIP) << quint32(0xFFFFFFFF) << true;
        QTest::newRow("a bit a sample") << int(TIFFTAG_BITSPERSAMPLE) << quint32(1) << false;
        QTest::newRow("thousands of samples a pixel")
            << int(TIFFTAG_SAMPLESPERPIXEL) << quint32(4000) << false;
    }
    void lyingTiffNeverShowsWrongPixels() {
        QFETCH(int, tag);
        QFETCH(quint32, value);
        QFETCH(bool, mayLoad);
        const QString file = dir_.filePath("lying.tif");
        // One strip only, uncompressed: every lie about it is a lie about
        // the pixels.
        TiffFileWriter writer;
        writer.Compression = COMPRESSION_NONE;
        writer.RowsPerStrip = kSmall.height();
        QVERIFY(writer.Write(file, kSmall, NoiseRows(kSmall.width(), 3, 8)));
        const QImage truth = FromReaders(file);
        QByteArray bytes = ReadAll(file);
        QVERIFY(PatchTiffTag(bytes, quint16(tag), value));
        QVERIFY(WriteBytes(file, bytes));
        TBitmap bitmap;
        const qint64 peakBefore = PeakVirtualMemory();
        const Outcome outcome = Load(bitmap, file);
        const qint64 grown = PeakVirtualMemory() - peakBefore;
        if (mayLoad && outcome.failure.isEmpty())
            QCOMPARE(bitmap.Image(), truth);
        else
            QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
        // The kept picture of a 30000 x 30000 declaration at most.
        QVERIFY2(grown < 320 << 20, qPrintable(QString::number(grown)));
    }

    void mutatedFilesNeitherCrashNorHang() {
        // Random damage to small files of every format: each either loads
        // or fails, soon, whatever it declares. A fuzzer does this better;
        // this keeps the easy cases from coming back.
        QRandomGenerator random(20261210);
        const TestPicture pictures[] = {
            PngPicture{.colour = PNG_COLOR_TYPE_RGB_ALPHA},
            PngPicture{.colour = PNG_COLOR_TYPE_PALETTE},
            PngPicture{.colour = PNG_COLOR_TYPE_GA, .bits = 16},
            JpegPicture{},
            JpegPicture{.progressive = true},
            JpegPicture{.input = JCS_CMYK},
            TiffPicture{},
            TiffPicture{.photometric = PHOTOMETRIC_MINISBLACK,
                        .bits = 1,
                        .compression = COMPRESSION_CCITTFAX4},
            TiffPicture{.photometric = PHOTOMETRIC_PALETTE},
            TiffPicture{.photometric = PHOTOMETRIC_YCBCR, .compression = COMPRESSION_JPEG},
            TiffPicture{.bits = 16, .extraSample = EXTRASAMPLE_UNASSALPHA},
        };
        const QString file = dir_.filePath("mutated.bin");
        int loaded = 0, failed = 0;
        for (const TestPicture& picture : pictures) {
            QVERIFY(WritePicture(picture, file));
            const QByteArray original = ReadAll(file);
            for (int round = 0; round < 150; ++round) {
                QByteArray bytes = original;
                const int changes = 1 + int(random.bounded(4));
                for (int i = 0; i < changes; ++i) {
                    const int at = int(random.bounded(int(bytes.size())));
                    switch (random.bounded(4)) {
                        case 0:  // a random byte
                            bytes[at] = char(random.bounded(256));
                            break;
                        case 1:  // a large number, as a lying size or offset would be
                            for (int b = 0; b < 4 && at + b < bytes.size(); ++b)
                                bytes[at + b] = char(b == 0 ? 0x7F : 0xFF);
                            break;
                        case 2:  // cut short
                            bytes.truncate(at);
                            break;
                        default:  // a bit flipped
                            bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
                            break;
                    }
                    if (bytes.isEmpty()) break;
                }
                QVERIFY(WriteBytes(file, bytes));
                TBitmap bitmap;
                const Outcome outcome = Load(bitmap, file);
                if (outcome.failure.isEmpty()) {
                    ++loaded;
                    QVERIFY(bitmap.Width() <= PictureSize::MaxSide &&
                            bitmap.Height() <= PictureSize::MaxSide);
                } else {
                    ++failed;
                    QCOMPARE(outcome.failure, QStringLiteral("EBitmapLoadingFailed"));
                }
            }
        }
        qInfo("%d loaded, %d failed", loaded, failed);
    }
};

QTEST_MAIN(PictureStreamTest)
#include "tst_picturestream.moc"
