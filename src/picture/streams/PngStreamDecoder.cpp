#include "PngStreamDecoder.h"

#include <png.h>
#include <QIODevice>
#include <csetjmp>
#include <vector>

#include "DeviceInput.h"
#include "picture/inspect/PictureSize.h"
#include "picture/rows/RowConversion.h"
#include "picture/rows/RowShrinker.h"

// libpng reports errors by longjmp. Every function here that calls libpng
// sets its own jump target first and holds nothing that needs a destructor,
// and the callbacks libpng calls hold nothing either, so a jump skips no
// C++ clean-up.

namespace {

struct Header {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    bool alpha = false;
    // 16-bit samples with alpha, kept 16 bits wide until premultiplied.
    bool wide = false;
};

void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void Ignore(png_structp, png_const_charp) {}

void ReadFromDevice(png_structp png, png_bytep data, size_t length) {
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    while (length > 0) {
        const qint64 read = DeviceInput::Read(*device, data, qint64(length));
        if (read <= 0) png_error(png, "truncated");
        data += read;
        length -= size_t(read);
    }
}

// Ancillary chunks that carry nothing the pixels need, some of them
// compressed: skipped unread rather than inflated.
constexpr png_byte kSkipped[] = "iCCP\0zTXt\0iTXt\0tEXt\0eXIf\0sPLT\0";

// Reads the chunks up to the pixels and asks libpng for rows of QRgb: 8 bits
// a channel, alpha last in memory order, no gamma or colour transform (none
// is asked for: libpng only records those chunks).
bool ReadHeader(png_structp png, png_infop info, QIODevice* device, Header* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, device, ReadFromDevice);
    // Larger files are refused by the same measure after this; libpng's own
    // limit would stop at a million on a side.
    png_set_user_limits(png, PictureSize::MaxStreamedWidth, PictureSize::MaxStreamedPixels);
    png_set_chunk_malloc_max(png, 8 << 20);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped, int(sizeof kSkipped / 5));
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    header->width = int(width);
    header->height = int(height);
    header->interlaced = interlace != PNG_INTERLACE_NONE;
    if (header->interlaced) return true;
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    header->alpha = (colour & PNG_COLOR_MASK_ALPHA) || transparency;
    header->wide = depth == 16 && header->alpha;
    png_set_expand(png);
    if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (header->wide) {
        // Premultiplied before rounding to 8 bits, as the image readers do.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        png_set_swap(png);
#endif
        png_read_update_info(png, info);
        return png_get_channels(png, info) == 4 && png_get_bit_depth(png, info) == 16 &&
               png_get_rowbytes(png, info) == size_t(width) * 8;
    }
    if (depth == 16) png_set_scale_16(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    if (!header->alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
#else
    if (!header->alpha) png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    png_set_swap_alpha(png);
#endif
    png_read_update_info(png, info);
    return png_get_channels(png, info) == 4 && png_get_bit_depth(png, info) == 8 &&
           png_get_rowbytes(png, info) == size_t(width) * 4;
}

// wide: a row of 16-bit samples to convert, or null when libpng writes
// QRgb straight into the shrinker's row.
bool ReadRows(png_structp png, RowShrinker* shrinker, quint16* wide) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int width = shrinker->Source().width();
    while (!shrinker->IsComplete()) {
        if (wide) {
            png_read_row(png, reinterpret_cast<png_bytep>(wide), nullptr);
            RowConversion::Rgba64(wide, shrinker->Row(), width);
        } else {
            png_read_row(png, reinterpret_cast<png_bytep>(shrinker->Row()), nullptr);
        }
        shrinker->Commit();
    }
    return true;
}

// The chunks after the pixels, through IEND: a file cut short after its last
// row is as damaged as one cut inside it, and the image readers say so too.
bool ReadEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

StreamOutcome PngStreamDecoder::Decode() {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Ignore);
    if (!png) return StreamOutcome::Fail();
    png_infop info = png_create_info_struct(png);
    struct Release {
        png_structp* png;
        png_infop* info;
        ~Release() { png_destroy_read_struct(png, info, nullptr); }
    } release{&png, &info};
    if (!info) return StreamOutcome::Fail();

    Header header;
    if (!ReadHeader(png, info, &device_, &header)) return StreamOutcome::Fail();
    if (header.interlaced) return StreamOutcome::Decline();
    const QSize size(header.width, header.height);
    if (!PictureSize::AdmissibleStreamed(size)) return StreamOutcome::Refuse();
    const RowShrinker::Alpha alpha = header.wide    ? RowShrinker::Alpha::Premultiplied
                                     : header.alpha ? RowShrinker::Alpha::Straight
                                                    : RowShrinker::Alpha::Opaque;
    RowShrinker shrinker(size, PictureSize::Shrunk(size), alpha);
    if (!shrinker.IsValid()) return StreamOutcome::Fail();
    std::vector<quint16> wide(header.wide ? size_t(header.width) * 4 : 0);
    if (!ReadRows(png, &shrinker, header.wide ? wide.data() : nullptr) || !ReadEnd(png))
        return StreamOutcome::Fail();
    return StreamOutcome::Done(shrinker.Take());
}
