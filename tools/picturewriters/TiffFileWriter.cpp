#include "TiffFileWriter.h"

#include <tiffio.h>
#include <QFile>
#include <algorithm>
#include <cstdarg>
#include <memory>

namespace {

int Quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct CloseTiff {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

}  // namespace

bool TiffFileWriter::Write(const QString& path, QSize size, const RowSource& rows) const {
    return Write(path, size, std::vector<RowSource>{rows});
}

bool TiffFileWriter::Write(const QString& path, QSize size,
                           const std::vector<RowSource>& pages) const {
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    // "8": the 64-bit variant when a file may pass 4 GiB.
    const uint64_t raw =
        uint64_t(size.width()) * size.height() * SamplesPerPixel * BitsPerSample / 8 * pages.size();
    const char* mode = raw > (uint64_t(3) << 30) ? "w8" : "w";
    std::unique_ptr<TIFF, CloseTiff> tiff(
        TIFFOpenExt(QFile::encodeName(path).constData(), mode, options.get()));
    if (!tiff) return false;
    TIFF* t = tiff.get();
    const int width = size.width(), height = size.height();
    const tmsize_t rowBytes = (tmsize_t(width) * SamplesPerPixel * BitsPerSample + 7) / 8;
    std::vector<uchar> row(size_t(rowBytes) + 8);
    for (size_t page = 0; page < pages.size(); ++page) {
        const RowSource& source = pages[page];
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(BitsPerSample));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(SamplesPerPixel));
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(Photometric));
        TIFFSetField(t, TIFFTAG_COMPRESSION, uint16_t(Compression));
        TIFFSetField(t, TIFFTAG_PLANARCONFIG,
                     uint16_t(SeparatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
        if (Photometric == PHOTOMETRIC_YCBCR && Compression == COMPRESSION_JPEG)
            TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        if (pages.size() > 1) {
            TIFFSetField(t, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
            TIFFSetField(t, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages.size()));
        }
        if (ExtraSample >= 0) {
            const int extras =
                Photometric == PHOTOMETRIC_RGB ? SamplesPerPixel - 3 : SamplesPerPixel - 1;
            std::vector<uint16_t> kinds(size_t(std::max(extras, 1)), EXTRASAMPLE_UNSPECIFIED);
            kinds[0] = uint16_t(ExtraSample);
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t(extras), kinds.data());
        }
        if (Photometric == PHOTOMETRIC_PALETTE) {
            std::vector<uint16_t> red(size_t(1) << BitsPerSample), green(red.size()),
                blue(red.size());
            for (size_t i = 0; i < std::min(red.size(), Palette.size()); ++i) {
                red[i] = uint16_t(qRed(Palette[i]) * 257);
                green[i] = uint16_t(qGreen(Palette[i]) * 257);
                blue[i] = uint16_t(qBlue(Palette[i]) * 257);
            }
            TIFFSetField(t, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
        }
        if (TileSide > 0) {
            TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t(TileSide));
            TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t(TileSide));
            // A row of tiles at a time, interleaved samples only.
            const tmsize_t tileRowBytes =
                (tmsize_t(TileSide) * SamplesPerPixel * BitsPerSample) / 8;
            std::vector<uchar> band(size_t(rowBytes) * TileSide);
            std::vector<uchar> tile(size_t(tileRowBytes) * TileSide);
            for (int top = 0; top < height; top += TileSide) {
                std::fill(band.begin(), band.end(), 0);
                for (int y = top; y < std::min(height, top + TileSide); ++y)
                    source(y, band.data() + size_t(y - top) * rowBytes);
                for (int left = 0; left < width; left += TileSide) {
                    std::fill(tile.begin(), tile.end(), 0);
                    const tmsize_t offset = tmsize_t(left) * SamplesPerPixel * BitsPerSample / 8;
                    const tmsize_t count = std::min(tileRowBytes, rowBytes - offset);
                    for (int y = 0; y < TileSide; ++y)
                        std::copy_n(band.data() + size_t(y) * rowBytes + offset, count,
                                    tile.data() + size_t(y) * tileRowBytes);
                    if (TIFFWriteTile(t, tile.data(), uint32_t(left), uint32_t(top), 0, 0) < 0)
                        return false;
                }
            }
        } else if (SeparatePlanes) {
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(RowsPerStrip));
            // One plane after the other, each sample picked out of the rows.
            const int bytes = BitsPerSample / 8;
            std::vector<uchar> plane(size_t(width) * bytes);
            for (int s = 0; s < SamplesPerPixel; ++s)
                for (int y = 0; y < height; ++y) {
                    source(y, row.data());
                    for (int x = 0; x < width; ++x)
                        std::copy_n(row.data() + (size_t(x) * SamplesPerPixel + s) * bytes, bytes,
                                    plane.data() + size_t(x) * bytes);
                    if (TIFFWriteScanline(t, plane.data(), uint32_t(y), uint16_t(s)) < 0)
                        return false;
                }
        } else {
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(RowsPerStrip));
            for (int y = 0; y < height; ++y) {
                source(y, row.data());
                if (TIFFWriteScanline(t, row.data(), uint32_t(y), 0) < 0) return false;
            }
        }
        if (!TIFFWriteDirectory(t)) return false;
    }
    tiff.reset();
    return true;
}
