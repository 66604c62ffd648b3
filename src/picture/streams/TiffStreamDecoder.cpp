#include "TiffStreamDecoder.h"

#include <tiffio.h>
#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstdarg>
#include <limits>
#include <memory>
#include <vector>

#include "DeviceInput.h"
#include "RowRing.h"
#include "picture/inspect/PictureSize.h"
#include "picture/memory/PageWarmer.h"
#include "picture/rows/RowConversion.h"
#include "picture/rows/RowShrinker.h"

namespace {

// The most any one allocation of libtiff may take: a strip's buffer, a table
// of strip offsets. Files written for reading by rows stay far below it; a
// lying one fails instead of allocating what it claims.
constexpr tmsize_t kMaxAllocation = tmsize_t(128) << 20;
// The most a row of tiles may take, held whole to be cut into rows.
constexpr uint64_t kMaxBand = uint64_t(64) << 20;
// Samples a pixel: colour, alpha and a few extra channels at most.
constexpr int kMaxSamples = 8;

// The file as libtiff sees it: the device from where the picture starts.
struct File {
    QIODevice* device = nullptr;
    qint64 start = 0;
    // Told each position reached, when the reading is a worker's.
    ReadProgress* progress = nullptr;
};

tmsize_t Read(thandle_t handle, void* data, tmsize_t size) {
    auto* file = static_cast<File*>(handle);
    const qint64 read = DeviceInput::Read(*file->device, data, qint64(size));
    if (file->progress) file->progress->Note(DeviceInput::Position(*file->device));
    return tmsize_t(read < 0 ? -1 : read);
}

tmsize_t Write(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<File*>(handle);
    constexpr toff_t failed = std::numeric_limits<toff_t>::max();
    const qint64 base = whence == SEEK_SET   ? file->start
                        : whence == SEEK_CUR ? DeviceInput::Position(*file->device)
                        : whence == SEEK_END ? DeviceInput::Size(*file->device)
                                             : -1;
    // Offsets come from the file: keep the sum within range.
    if (base < 0 || offset > toff_t(std::numeric_limits<qint64>::max() - base)) return failed;
    const qint64 to = base + qint64(offset);
    if (to < file->start || !DeviceInput::Seek(*file->device, to)) return failed;
    return toff_t(to - file->start);
}

int Close(thandle_t) {
    return 0;
}

toff_t Size(thandle_t handle) {
    auto* file = static_cast<File*>(handle);
    return toff_t(std::max<qint64>(0, DeviceInput::Size(*file->device) - file->start));
}

int NoMap(thandle_t, void**, toff_t*) {
    return 0;
}

void NoUnmap(thandle_t, void*, toff_t) {}

// Errors and warnings are told by the return values; nothing is printed.
int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct CloseTiff {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct FreeOptions {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// How the samples of a row become QRgb.
enum class Kind { Bilevel, Grey8, Grey16, Palette8, Rgb8, Rgb16 };

struct Layout {
    Kind kind = Kind::Rgb8;
    int samples = 1;
    int alpha = -1;  // the sample holding alpha, none when negative
    RowShrinker::Alpha alphaKind = RowShrinker::Alpha::Opaque;
    bool whiteIsZero = false;
    std::array<QRgb, 256> table{};
};

template <typename T>
T Field(TIFF* tiff, ttag_t tag, T fallback) {
    T value = fallback;
    return TIFFGetFieldDefaulted(tiff, tag, &value) ? value : fallback;
}

// The layout of the first page, or none when it is one left to the readers.
bool Understand(TIFF* tiff, Layout& layout) {
    const auto bits = Field<uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    const auto samples = Field<uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    const auto planar = Field<uint16_t>(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const auto format = Field<uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    const auto compression = Field<uint16_t>(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    uint16_t photometric = 0;
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    if (format != SAMPLEFORMAT_UINT || samples < 1 || samples > kMaxSamples) return false;
    if (samples > 1 && planar != PLANARCONFIG_CONTIG) return false;
    if (compression == COMPRESSION_OJPEG) return false;
    layout.samples = samples;

    if (photometric == PHOTOMETRIC_YCBCR) {
        // JPEG-compressed YCbCr, converted to RGB by the codec.
        if (compression != COMPRESSION_JPEG || samples != 3 || bits != 8) return false;
        if (!TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return false;
        layout.kind = Kind::Rgb8;
        return true;
    }
    if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
        if (samples != 1) return false;
        layout.whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
        if (bits == 1)
            layout.kind = Kind::Bilevel;
        else if (bits == 8)
            layout.kind = Kind::Grey8;
        else if (bits == 16 && !layout.whiteIsZero)
            layout.kind = Kind::Grey16;
        else
            return false;
        return true;
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (samples != 1 || bits != 8 || !TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue))
            return false;
        for (size_t i = 0; i < layout.table.size(); ++i)
            layout.table[i] = qRgb(red[i] / 257, green[i] / 257, blue[i] / 257);
        layout.kind = Kind::Palette8;
        return true;
    }
    if (photometric != PHOTOMETRIC_RGB || samples < 3 || (bits != 8 && bits != 16)) return false;
    layout.kind = bits == 8 ? Kind::Rgb8 : Kind::Rgb16;
    uint16_t extras = 0;
    uint16_t* extraKinds = nullptr;
    if (samples > 3) {
        // More samples than colours that don't say what they are: left to
        // the readers.
        if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extras, &extraKinds) || extras == 0 ||
            !extraKinds)
            return false;
        // An unspecified fourth sample is taken for alpha, as libtiff's own
        // RGBA reading and the image readers take it: writers that meant
        // alpha have left it so.
        if (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA) {
            // Premultiplied 16-bit samples are rare; the readers take them.
            if (bits != 8) return false;
            layout.alphaKind = RowShrinker::Alpha::Premultiplied;
        } else {
            layout.alphaKind =
                bits == 8 ? RowShrinker::Alpha::Straight : RowShrinker::Alpha::Premultiplied;
        }
        layout.alpha = 3;
    }
    return true;
}

void Convert(const Layout& layout, const uchar* in, QRgb* out, int width) {
    const auto* wide = reinterpret_cast<const quint16*>(in);
    switch (layout.kind) {
        case Kind::Bilevel:
            if (layout.whiteIsZero)
                RowConversion::Bits(in, qRgb(255, 255, 255), qRgb(0, 0, 0), out, width);
            else
                RowConversion::Bits(in, qRgb(0, 0, 0), qRgb(255, 255, 255), out, width);
            break;
        case Kind::Grey8:
            RowConversion::Grey8(in, 1, out, width);
            if (layout.whiteIsZero)
                for (int x = 0; x < width; ++x) out[x] ^= 0x00FFFFFF;
            break;
        case Kind::Grey16:
            RowConversion::Grey16(wide, 1, out, width);
            break;
        case Kind::Palette8:
            RowConversion::Indexed8(in, layout.table.data(), out, width);
            break;
        case Kind::Rgb8:
            RowConversion::Rgb24(in, layout.samples, layout.alpha, out, width);
            if (layout.alphaKind == RowShrinker::Alpha::Premultiplied)
                RowConversion::HoldToAlpha(out, width);
            break;
        case Kind::Rgb16:
            if (layout.alpha < 0) {
                RowConversion::Rgb48(wide, layout.samples, out, width);
            } else if (layout.samples == 4) {
                RowConversion::Rgba64(wide, out, width);
            } else {
                for (int x = 0; x < width; ++x, wide += layout.samples)
                    RowConversion::Rgba64(wide, out + x, 1);
            }
            break;
    }
}

int BitsPerSample(Kind kind) {
    switch (kind) {
        case Kind::Bilevel:
            return 1;
        case Kind::Grey16:
        case Kind::Rgb16:
            return 16;
        default:
            return 8;
    }
}

// Whether a row of tiles can be held: rows are taken whole, so a tiled page
// is read a row of tiles at a time.
bool TilesFit(TIFF* tiff, const Layout& layout, uint64_t rowBytes) {
    uint32_t tileWidth = 0, tileHeight = 0;
    if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth) ||
        !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight) || tileWidth == 0 || tileHeight == 0)
        return false;
    const uint64_t tileRow = TIFFTileRowSize64(tiff);
    // Tiles start on whole bytes, as they do when their width is a multiple
    // of 16 as it must be; else a row of them is not their rows side by side.
    if (tileRow == 0 ||
        uint64_t(tileWidth) * uint64_t(layout.samples) * uint64_t(BitsPerSample(layout.kind)) !=
            tileRow * 8)
        return false;
    return TIFFTileSize64(tiff) == tileRow * tileHeight && tileRow * tileHeight <= kMaxBand &&
           rowBytes * tileHeight <= kMaxBand;
}

// Where the rows of samples go: converted and shrunk at once, or handed
// through a ring to the thread that shrinks. Row gives room for the next
// row of samples (null when the taker has stopped), Done says it is filled.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual uchar* Row() = 0;
    virtual void Done() = 0;
};

class ShrinkingSink : public RowSink {
public:
    ShrinkingSink(const Layout& layout, uint64_t rowBytes, RowShrinker& shrinker)
        : layout_(layout), shrinker_(shrinker), row_(size_t((rowBytes + 1) / 2)) {}
    // Whole 16-bit samples, aligned for them.
    uchar* Row() override { return reinterpret_cast<uchar*>(row_.data()); }
    void Done() override {
        Convert(layout_, Row(), shrinker_.Row(), shrinker_.Source().width());
        shrinker_.Commit();
    }

private:
    const Layout& layout_;
    RowShrinker& shrinker_;
    std::vector<quint16> row_;
};

class RingSink : public RowSink {
public:
    explicit RingSink(RowRing& ring) : ring_(ring) {}
    uchar* Row() override {
        if (!claimed_) claimed_ = ring_.Claim();
        return claimed_;
    }
    void Done() override {
        ring_.Publish();
        claimed_ = nullptr;
    }

private:
    RowRing& ring_;
    uchar* claimed_ = nullptr;
};

bool ReadStrips(TIFF* tiff, QSize size, RowSink& sink) {
    for (int y = 0; y < size.height(); ++y) {
        uchar* row = sink.Row();
        if (!row || TIFFReadScanline(tiff, row, uint32_t(y), 0) != 1) return false;
        sink.Done();
    }
    return true;
}

bool ReadTiles(TIFF* tiff, uint64_t rowBytes, QSize size, RowSink& sink) {
    uint32_t tileWidth = 0, tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    const uint64_t tileRow = TIFFTileRowSize64(tiff);
    const int width = size.width(), height = size.height();
    std::vector<quint16> tile(size_t((tileRow * tileHeight + 1) / 2));
    std::vector<quint16> band(size_t((rowBytes * tileHeight + 1) / 2));
    auto* tileBytes = reinterpret_cast<uchar*>(tile.data());
    auto* bandBytes = reinterpret_cast<uchar*>(band.data());
    for (uint32_t top = 0; top < uint32_t(height); top += tileHeight) {
        const uint32_t rows = std::min(tileHeight, uint32_t(height) - top);
        uint64_t offset = 0;
        for (uint32_t left = 0; left < uint32_t(width); left += tileWidth, offset += tileRow) {
            if (TIFFReadTile(tiff, tileBytes, left, top, 0, 0) < 0) return false;
            const uint64_t count = std::min(tileRow, rowBytes - offset);
            for (uint32_t r = 0; r < rows; ++r)
                std::copy_n(tileBytes + r * tileRow, count, bandBytes + r * rowBytes + offset);
        }
        for (uint32_t r = 0; r < rows; ++r) {
            uchar* row = sink.Row();
            if (!row) return false;
            std::copy_n(bandBytes + r * rowBytes, rowBytes, row);
            sink.Done();
        }
    }
    return true;
}

// The calling thread's part of a pipelined decode: the worker's rows
// converted and shrunk as they come.
bool TakeRows(RowRing& ring, ReadProgress& progress, const Layout& layout, RowShrinker& shrinker) {
    while (!shrinker.IsComplete()) {
        const uchar* row = ring.Take();
        if (!row) return false;
        Convert(layout, row, shrinker.Row(), shrinker.Source().width());
        shrinker.Commit();
        ring.GiveBack();
        progress.Tell();
    }
    return true;
}

}  // namespace

StreamOutcome TiffStreamDecoder::Decode() {
    return Run(false, {});
}

StreamOutcome TiffStreamDecoder::DecodePipelined(ReadProgress::TWatcher progress) {
    return Run(true, std::move(progress));
}

StreamOutcome TiffStreamDecoder::Run(bool pipelined, ReadProgress::TWatcher watcher) {
    ReadProgress progress(device_, std::move(watcher));
    File file{&device_, device_.pos(), pipelined ? &progress : nullptr};
    const std::unique_ptr<TIFFOpenOptions, FreeOptions> options(TIFFOpenOptionsAlloc());
    if (!options) return StreamOutcome::Fail();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    // "m": no mapping, every byte through the device.
    const std::unique_ptr<TIFF, CloseTiff> tiff(TIFFClientOpenExt(
        "picture", "rm", &file, Read, Write, Seek, Close, Size, NoMap, NoUnmap, options.get()));
    if (!tiff) return StreamOutcome::Fail();

    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height))
        return StreamOutcome::Fail();
    if (width > uint32_t(std::numeric_limits<int>::max()) ||
        height > uint32_t(std::numeric_limits<int>::max()))
        return StreamOutcome::Refuse();
    Layout layout;
    if (!Understand(tiff.get(), layout)) return StreamOutcome::Decline();
    const QSize size{int(width), int(height)};
    if (!PictureSize::AdmissibleStreamed(size)) return StreamOutcome::Refuse();

    const uint64_t rowBytes =
        (uint64_t(width) * uint64_t(layout.samples) * uint64_t(BitsPerSample(layout.kind)) + 7) / 8;
    if (TIFFScanlineSize64(tiff.get()) != rowBytes) return StreamOutcome::Fail();
    if (TIFFIsTiled(tiff.get()) && !TilesFit(tiff.get(), layout, rowBytes))
        return StreamOutcome::Decline();
    RowShrinker shrinker(size, PictureSize::Shrunk(size), layout.alphaKind);
    if (!shrinker.IsValid()) return StreamOutcome::Fail();
    TIFF* const handle = tiff.get();
    const auto read = [handle, rowBytes, size](RowSink& sink) {
        return TIFFIsTiled(handle) ? ReadTiles(handle, rowBytes, size, sink)
                                   : ReadStrips(handle, size, sink);
    };
    if (!pipelined) {
        ShrinkingSink sink(layout, rowBytes, shrinker);
        return read(sink) ? StreamOutcome::Done(shrinker.Take()) : StreamOutcome::Fail();
    }
    // Rows of samples, about 4 MB of them, whole 16-bit samples.
    const size_t slotBytes = size_t((rowBytes + 1) / 2 * 2);
    PageWarmer warmer(shrinker.Pixels(), shrinker.PixelBytes());
    RowRing ring(slotBytes, int(std::clamp<size_t>((size_t(4) << 20) / slotBytes, 4, 64)));
    if (!ring.IsValid()) return StreamOutcome::Decline();
    ring.ShareIdleWork([&warmer] { return warmer.WarmNext(); });
    if (!ring.Start([&read](RowRing& r) {
            RingSink sink(r);
            return read(sink);
        }))
        return StreamOutcome::Decline();
    const bool taken = TakeRows(ring, progress, layout, shrinker);
    while (ring.Take()) ring.GiveBack();
    const bool made = ring.Succeeded();
    progress.Tell();
    return taken && made ? StreamOutcome::Done(shrinker.Take()) : StreamOutcome::Fail();
}
