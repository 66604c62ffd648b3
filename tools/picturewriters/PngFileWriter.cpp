#include "PngFileWriter.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>

// libpng reports errors by longjmp: the function that calls it sets the jump
// target first and holds nothing that needs a destructor.

namespace {

void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void Ignore(png_structp, png_const_charp) {}

bool WriteAll(png_structp png, png_infop info, const PngFileWriter* writer, QSize size,
              const RowSource* rows, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), writer->BitDepth,
                 writer->ColourType, writer->Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, writer->Level);
    if (writer->ColourType == PNG_COLOR_TYPE_PALETTE) {
        png_color colours[256];
        png_byte alphas[256];
        const int count = int(std::min<size_t>(writer->Palette.size(), 256));
        bool translucent = false;
        for (int i = 0; i < count; ++i) {
            const QRgb c = writer->Palette[size_t(i)];
            colours[i] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
            alphas[i] = png_byte(qAlpha(c));
            translucent |= qAlpha(c) != 255;
        }
        png_set_PLTE(png, info, colours, count);
        if (translucent) png_set_tRNS(png, info, alphas, count, nullptr);
    } else if (writer->TransparentColour) {
        png_color_16 colour{};
        colour.red = writer->Transparent[0];
        colour.green = writer->Transparent[1];
        colour.blue = writer->Transparent[2];
        colour.gray = writer->Transparent[0];
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    if (writer->BitDepth == 16) png_set_swap(png);
#endif
    const int passes = writer->Interlaced ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < size.height(); ++y) {
            (*rows)(y, row);
            png_write_row(png, row);
        }
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

bool PngFileWriter::Write(const QString& path, QSize size, const RowSource& rows) const {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Ignore);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool done = false;
    if (info) {
        png_init_io(png, file);
        const int channels = ColourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                             : ColourType == PNG_COLOR_TYPE_RGB     ? 3
                             : ColourType == PNG_COLOR_TYPE_GA      ? 2
                                                                    : 1;
        std::vector<png_byte> row((size_t(size.width()) * channels * BitDepth + 7) / 8 + 8);
        done = WriteAll(png, info, this, size, &rows, row.data());
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && done;
}
