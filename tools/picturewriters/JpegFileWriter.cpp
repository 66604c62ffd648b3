#include "JpegFileWriter.h"

#include <QFile>
#include <csetjmp>
#include <vector>

// libjpeg reports errors through error_exit, which must not return: it jumps
// back to the function that called libjpeg, which holds nothing that needs a
// destructor.

namespace {

struct Errors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Errors*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

bool WriteAll(j_compress_ptr info, Errors* errors, FILE* file, const JpegFileWriter* writer,
              QSize size, const RowSource* rows, JSAMPLE* row) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_compress(info);
    jpeg_stdio_dest(info, file);
    info->image_width = JDIMENSION(size.width());
    info->image_height = JDIMENSION(size.height());
    info->in_color_space = writer->Input;
    info->input_components = writer->Input == JCS_GRAYSCALE ? 1 : writer->Input == JCS_CMYK ? 4 : 3;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, writer->Quality, TRUE);
    if (writer->FullChroma)
        for (int i = 0; i < info->num_components; ++i)
            info->comp_info[i].h_samp_factor = info->comp_info[i].v_samp_factor = 1;
    if (writer->Progressive) jpeg_simple_progression(info);
    info->restart_in_rows = writer->RestartRows;
    info->optimize_coding = writer->OptimizedTables ? TRUE : FALSE;
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        (*rows)(int(info->next_scanline), row);
        JSAMPROW rowPointer = row;
        jpeg_write_scanlines(info, &rowPointer, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

}  // namespace

bool JpegFileWriter::Write(const QString& path, QSize size, const RowSource& rows) const {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    Errors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Fail;
    errors.manager.output_message = Quiet;
    std::vector<JSAMPLE> row(size_t(size.width()) * 4);
    const bool done = WriteAll(&info, &errors, file, this, size, &rows, row.data());
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 && done;
}
