#include "PlainDecode.h"

#include <png.h>
#include <tiffio.h>
#include <QtGlobal>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "picture/inspect/PictureSize.h"

// libpng and libjpeg report errors by longjmp: each function that calls
// them sets the jump target first and holds nothing that needs a destructor.

namespace {

struct CloseFile {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, CloseFile>;

void PngFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngIgnore(png_structp, png_const_charp) {}

bool PngRows(png_structp png, png_infop info, FILE* file, std::vector<png_byte>* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_read_update_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) return false;
    row->resize(png_get_rowbytes(png, info));
    const png_uint_32 height = png_get_image_height(png, info);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row->data(), nullptr);
    return true;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr) {}

bool JpegRows(j_decompress_ptr info, JpegErrors* errors, FILE* file, JSAMPLE* row) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    jpeg_stdio_src(info, file);
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) jpeg_read_scanlines(info, &row, 1);
    jpeg_finish_decompress(info);
    return true;
}

int TiffQuiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

namespace PlainDecode {

bool Png(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngIgnore);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row;
    if (info)
        png_set_user_limits(png, PictureSize::MaxStreamedWidth, PictureSize::MaxStreamedPixels);
    const bool done = info && PngRows(png, info, file.get(), &row);
    png_destroy_read_struct(&png, &info, nullptr);
    return done;
}

bool Jpeg(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFail;
    errors.manager.output_message = JpegQuiet;
    std::vector<JSAMPLE> row(65536 * 4);
    const bool done = JpegRows(&info, &errors, file.get(), row.data());
    jpeg_destroy_decompress(&info);
    return done;
}

bool Tiff(const std::string& path) {
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), TiffQuiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), TiffQuiet, nullptr);
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpenExt(path.c_str(), "rm", options.get()),
                                                TIFFClose);
    if (!tiff) return false;
    uint32_t height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    std::vector<uchar> row(size_t(TIFFScanlineSize64(tiff.get())));
    for (uint32_t y = 0; y < height; ++y)
        if (TIFFReadScanline(tiff.get(), row.data(), y, 0) != 1) return false;
    return true;
}

}  // namespace PlainDecode
