#include <png.h>
#include <tiffio.h>
#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "JpegFileWriter.h"
#include "PictureFiles.h"
#include "PngFileWriter.h"
#include "TiffFileWriter.h"
#include "framework/JpegStreamDecoder.h"
#include "framework/PictureFormat.h"
#include "framework/PngStreamDecoder.h"
#include "framework/TBitmap.h"
#include "framework/TiffStreamDecoder.h"

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

const QSize kSmall(37, 23);

// explicitAlpha: a PNG with a transparent colour written instead with an
// alpha channel that says the same.
bool WriteVariant(const QString& name, const QString& path, bool explicitAlpha = false) {
    const int w = kSmall.width();
    auto png = [&](int colour, int bits) {
        PngFileWriter writer;
        writer.ColourType = colour;
        writer.BitDepth = bits;
        return writer;
    };
    if (name.startsWith("PNG")) {
        struct Row {
            const char* name;
            int colour, bits, channels, alphaAt;
        };
        const Row rows[] = {
            {"PNG RGB", PNG_COLOR_TYPE_RGB, 8, 3, -1},
            {"PNG RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, 3},
            {"PNG grey", PNG_COLOR_TYPE_GRAY, 8, 1, -1},
            {"PNG grey, 1 bit", PNG_COLOR_TYPE_GRAY, 1, 1, -1},
            {"PNG grey, 2 bits", PNG_COLOR_TYPE_GRAY, 2, 1, -1},
            {"PNG grey, 4 bits", PNG_COLOR_TYPE_GRAY, 4, 1, -1},
            {"PNG grey and alpha", PNG_COLOR_TYPE_GA, 8, 2, 1},
            {"PNG RGB, 16 bits", PNG_COLOR_TYPE_RGB, 16, 3, -1},
            {"PNG RGBA, 16 bits", PNG_COLOR_TYPE_RGB_ALPHA, 16, 4, 3},
            {"PNG grey, 16 bits", PNG_COLOR_TYPE_GRAY, 16, 1, -1},
            {"PNG grey and alpha, 16 bits", PNG_COLOR_TYPE_GA, 16, 2, 1},
            {"PNG palette with transparency", PNG_COLOR_TYPE_PALETTE, 8, 1, -1},
            {"PNG palette, 4 bits", PNG_COLOR_TYPE_PALETTE, 4, 1, -1},
            {"PNG RGB, transparent colour", PNG_COLOR_TYPE_RGB, 8, 3, -1},
            {"PNG grey, transparent colour", PNG_COLOR_TYPE_GRAY, 8, 1, -1},
            {"PNG RGB, 16 bits, transparent colour", PNG_COLOR_TYPE_RGB, 16, 3, -1},
            {"PNG RGBA, interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, 3},
        };
        for (const Row& row : rows) {
            if (name != QLatin1String(row.name)) continue;
            PngFileWriter writer = png(row.colour, row.bits);
            RowSource source = NoiseRows(w, row.channels, row.bits, row.alphaAt);
            if (row.colour == PNG_COLOR_TYPE_PALETTE) {
                writer.Palette = NoisePalette(1 << row.bits);
                if (row.bits == 8)
                    source = [w](int y, uchar* out) {
                        for (int x = 0; x < w; ++x) out[x] = uchar(Noise(x, y, 0));
                    };
            }
            if (name.endsWith("transparent colour")) {
                // The colour at every fifth pixel of each row, noise between.
                writer.TransparentColour = true;
                const int channels = row.channels;
                const int bits = row.bits;
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
            writer.Interlaced = name.endsWith("interlaced");
            return writer.Write(path, kSmall, source);
        }
        return false;
    }
    if (name.startsWith("JPEG")) {
        JpegFileWriter writer;
        int channels = 3;
        if (name.contains("grey")) writer.Input = JCS_GRAYSCALE, channels = 1;
        if (name.contains("CMYK")) writer.Input = JCS_CMYK, channels = 4;
        writer.Progressive = name.contains("progressive");
        writer.FullChroma = name.contains("4:4:4");
        writer.RestartRows = name.contains("restart") ? 1 : 0;
        return writer.Write(path, kSmall, NoiseRows(w, channels, 8));
    }
    TiffFileWriter writer;
    int channels = 3, bits = 8, alphaAt = -1;
    if (name.contains("RGBA")) {
        writer.ExtraSample = name.contains("premultiplied") ? EXTRASAMPLE_ASSOCALPHA
                             : name.contains("unspecified") ? EXTRASAMPLE_UNSPECIFIED
                                                            : EXTRASAMPLE_UNASSALPHA;
        channels = 4;
        alphaAt = writer.ExtraSample == EXTRASAMPLE_UNSPECIFIED ? -1 : 3;
    }
    if (name.contains("16 bits")) bits = 16;
    if (name.contains("grey") || name.contains("bilevel") || name.contains("palette")) {
        channels = 1;
        writer.Photometric =
            name.contains("white is zero") ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
    }
    if (name.contains("bilevel")) bits = 1, writer.Compression = COMPRESSION_CCITTFAX4;
    if (name.contains("palette")) {
        writer.Photometric = PHOTOMETRIC_PALETTE;
        writer.Palette = NoisePalette(256);
    }
    if (name.contains("uncompressed")) writer.Compression = COMPRESSION_NONE;
    if (name.contains("deflate")) writer.Compression = COMPRESSION_ADOBE_DEFLATE;
    if (name.contains("PackBits")) writer.Compression = COMPRESSION_PACKBITS;
    if (name.contains("JPEG")) {
        writer.Compression = COMPRESSION_JPEG;
        writer.Photometric = PHOTOMETRIC_YCBCR;
    }
    if (name.contains("tiled")) writer.TileSide = 16;
    if (name.contains("planes")) writer.SeparatePlanes = true;
    writer.BitsPerSample = bits;
    writer.SamplesPerPixel = channels;
    if (name.contains("pages")) {
        // The second page is plain black: only the first may show.
        const RowSource black = [=](int, uchar* out) { std::fill_n(out, w * channels, 0); };
        return writer.Write(path, kSmall, {NoiseRows(w, channels, bits, alphaAt), black});
    }
    return writer.Write(path, kSmall, NoiseRows(w, channels, bits, alphaAt));
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

    void samePixelsAsTheReaders_data() {
        QTest::addColumn<bool>("streamed");  // false: left to the readers
        const char* streamed[] = {
            "PNG RGB",
            "PNG RGBA",
            "PNG grey",
            "PNG grey, 1 bit",
            "PNG grey, 2 bits",
            "PNG grey, 4 bits",
            "PNG grey and alpha",
            "PNG RGB, 16 bits",
            "PNG RGBA, 16 bits",
            "PNG grey, 16 bits",
            "PNG grey and alpha, 16 bits",
            "PNG palette with transparency",
            "PNG palette, 4 bits",
            "PNG RGB, transparent colour",
            "PNG grey, transparent colour",
            "PNG RGB, 16 bits, transparent colour",
            "JPEG baseline",
            "JPEG baseline 4:4:4",
            "JPEG progressive",
            "JPEG grey",
            "JPEG CMYK",
            "JPEG with restart markers",
            "TIFF RGB",
            "TIFF RGB uncompressed",
            "TIFF RGB deflate",
            "TIFF RGB PackBits",
            "TIFF RGBA",
            "TIFF RGBA premultiplied",
            "TIFF RGBA, fourth sample unspecified",
            "TIFF grey",
            "TIFF grey, 16 bits",
            "TIFF bilevel",
            "TIFF bilevel, white is zero",
            "TIFF palette",
            "TIFF RGB, 16 bits",
            "TIFF RGBA, 16 bits",
            "TIFF JPEG",
            "TIFF RGB, two pages",
        };
        for (const char* name : streamed) QTest::newRow(name) << true;
        const char* declined[] = {
            "PNG RGBA, interlaced",
            "TIFF RGB tiled",
            "TIFF RGB in separate planes",
            "TIFF grey, white is zero",
        };
        for (const char* name : declined) QTest::newRow(name) << false;
    }
    void samePixelsAsTheReaders() {
        QFETCH(bool, streamed);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const QString file = dir_.filePath("variant.bin");
        QVERIFY(WriteVariant(name, file));
        // The readers misread a 16-bit picture with a transparent colour
        // (they take its rows for four samples a pixel): what they make of
        // the same pixels with an alpha channel is the reference.
        const QString reference = dir_.filePath("reference.bin");
        QVERIFY(WriteVariant(name, reference, name.endsWith("transparent colour")));
        const QImage expected = FromReaders(reference);
        QCOMPARE(expected.size(), kSmall);

        const StreamOutcome outcome = Streamed(file);
        QCOMPARE(outcome.status,
                 streamed ? StreamOutcome::Status::Decoded : StreamOutcome::Status::Declined);
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
};

QTEST_MAIN(PictureStreamTest)
#include "tst_picturestream.moc"
