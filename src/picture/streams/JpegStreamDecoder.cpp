#include "JpegStreamDecoder.h"

#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "DeviceInput.h"
#include "RowRing.h"
#include "picture/inspect/PictureSize.h"
#include "picture/memory/PageWarmer.h"
#include "picture/rows/RowShrinker.h"

// libjpeg reports errors through error_exit, which must not return; here it
// jumps back to the function that called into libjpeg. Those functions set
// the jump target first and hold nothing that needs a destructor, nor do
// the callbacks, so a jump skips no C++ clean-up.

namespace {

// More scans than any encoder writes; a file made of thousands of tiny scans
// would otherwise pass over every coefficient thousands of times.
constexpr int kMaxScans = 100;
// The coefficients of a progressive picture at the image readers' bound,
// four channels of two bytes a sample, and room for the rest (as much as a
// long holds where it is 32 bits).
constexpr long kMaxDecoderMemory = long(std::min<qint64>(
    PictureSize::MaxDeclaredPixels * 8 + (qint64(64) << 20), std::numeric_limits<long>::max()));
constexpr size_t kBufferSize = 64 * 1024;

struct Errors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

struct Source {
    jpeg_source_mgr manager;
    QIODevice* device = nullptr;
    // Told each position reached, when the reading is a worker's.
    ReadProgress* progress = nullptr;
    // Set when the file ended before its end-of-image marker.
    bool ended = false;
    JOCTET buffer[kBufferSize];
};

[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Errors*>(info->err)->jump, 1);
}

void Warn(j_common_ptr info, int level) {
    // Entropy-coded data that stops short: the pixels past it would be made
    // up, so the file counts as corrupt. Other warnings are recoverable.
    if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER) Fail(info);
}

void Quiet(j_common_ptr) {}

void CountScans(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        Fail(info);
}

void Start(j_decompress_ptr) {}
void End(j_decompress_ptr) {}

boolean Fill(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    const qint64 read = DeviceInput::Read(*source->device, source->buffer, qint64(kBufferSize));
    if (source->progress) source->progress->Note(DeviceInput::Position(*source->device));
    size_t length = read > 0 ? size_t(read) : 0;
    if (length == 0) {
        // What libjpeg expects at the end: an end-of-image marker of our own.
        source->ended = true;
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        length = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = length;
    return TRUE;
}

void Skip(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    auto* source = reinterpret_cast<Source*>(info->src);
    const size_t bytes = size_t(count);
    if (bytes <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += bytes;
        source->manager.bytes_in_buffer -= bytes;
        return;
    }
    const qint64 beyond = qint64(bytes - source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    // Past the end, the next read finds nothing and ends the picture.
    DeviceInput::Skip(*source->device, beyond);
}

bool Create(j_decompress_ptr info, Errors* errors) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    return true;
}

struct Layout {
    bool multiScan = false;
    bool cmyk = false;
    QSize declared;
    QSize output;
};

// Reads the markers up to the first scan and chooses how the rows come out:
// QRgb straight from libjpeg where it can convert, else CMYK to convert here;
// reduced in the DCT by the largest power of two that keeps the kept size.
bool ReadHeader(j_decompress_ptr info, Errors* errors, Layout* layout) {
    if (setjmp(errors->jump)) return false;
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    layout->declared = QSize(int(info->image_width), int(info->image_height));
    layout->multiScan = jpeg_has_multiple_scans(info);
    layout->cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    info->out_color_space = layout->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
#else
    info->out_color_space = layout->cmyk ? JCS_CMYK : JCS_EXT_ARGB;
#endif
    const QSize kept = PictureSize::Shrunk(layout->declared);
    info->scale_denom = 8;
    for (const unsigned eighths : {1u, 2u, 4u, 8u}) {
        info->scale_num = eighths;
        jpeg_calc_output_dimensions(info);
        if (int(info->output_width) >= kept.width() && int(info->output_height) >= kept.height())
            break;
    }
    layout->output = QSize(int(info->output_width), int(info->output_height));
    return info->output_components == 4;
}

void ToRgb(const JSAMPLE* cmyk, QRgb* out, int width) {
    // Inverted CMYK, as Adobe's programs write it and the image readers take
    // it.
    for (int x = 0; x < width; ++x, cmyk += 4) {
        const int k = cmyk[3];
        out[x] = qRgb(k * cmyk[0] / 255, k * cmyk[1] / 255, k * cmyk[2] / 255);
    }
}

bool ReadRows(j_decompress_ptr info, Errors* errors, const Source* source, RowShrinker* shrinker,
              JSAMPLE* cmyk) {
    if (setjmp(errors->jump)) return false;
    jpeg_start_decompress(info);
    // A progressive file has been read whole by now: one that ended early
    // lacks the refinements of the scans cut off.
    if (jpeg_has_multiple_scans(info) && source->ended) return false;
    const int width = int(info->output_width);
    while (!shrinker->IsComplete()) {
        JSAMPROW row = cmyk ? cmyk : reinterpret_cast<JSAMPROW>(shrinker->Row());
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        if (cmyk) ToRgb(cmyk, shrinker->Row(), width);
        shrinker->Commit();
    }
    // Through the end-of-image marker: a file without one was cut short, and
    // is refused as the image readers' files are.
    jpeg_finish_decompress(info);
    return !source->ended;
}

// The worker's part: the rows as libjpeg gives them, QRgb or CMYK, into
// the ring. The jump target is set on this thread, which alone calls into
// libjpeg meanwhile.
bool MakeRows(j_decompress_ptr info, Errors* errors, const Source* source, RowRing* ring) {
    if (setjmp(errors->jump)) return false;
    jpeg_start_decompress(info);
    if (jpeg_has_multiple_scans(info) && source->ended) return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = ring->Claim();
        if (!row) return false;  // the taker has stopped
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        ring->Publish();
    }
    jpeg_finish_decompress(info);
    return !source->ended;
}

// The calling thread's part: the worker's rows shrunk as they come.
bool TakeRows(RowRing& ring, ReadProgress& progress, RowShrinker& shrinker, bool cmyk) {
    const int width = shrinker.Source().width();
    while (!shrinker.IsComplete()) {
        uchar* row = ring.Take();
        if (!row) return false;
        if (cmyk) {
            ToRgb(row, shrinker.Row(), width);
            shrinker.Commit();
        } else {
            shrinker.Commit(reinterpret_cast<QRgb*>(row));
        }
        ring.GiveBack();
        progress.Tell();
    }
    return true;
}

}  // namespace

StreamOutcome JpegStreamDecoder::Decode() {
    return Run(false, {});
}

StreamOutcome JpegStreamDecoder::DecodePipelined(ReadProgress::TWatcher progress) {
    return Run(true, std::move(progress));
}

StreamOutcome JpegStreamDecoder::Run(bool pipelined, ReadProgress::TWatcher watcher) {
    ReadProgress progress(device_, std::move(watcher));
    jpeg_decompress_struct info{};
    Errors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Fail;
    errors.manager.emit_message = Warn;
    errors.manager.output_message = Quiet;
    if (!Create(&info, &errors)) return StreamOutcome::Fail();
    struct Release {
        jpeg_decompress_struct* info;
        ~Release() { jpeg_destroy_decompress(info); }
    } release{&info};

    auto source = std::make_unique<Source>();
    source->device = &device_;
    if (pipelined) source->progress = &progress;
    source->manager.init_source = Start;
    source->manager.fill_input_buffer = Fill;
    source->manager.skip_input_data = Skip;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = End;
    info.src = &source->manager;
    jpeg_progress_mgr scans{};
    scans.progress_monitor = CountScans;
    info.progress = &scans;
    info.mem->max_memory_to_use = kMaxDecoderMemory;

    Layout layout;
    if (!ReadHeader(&info, &errors, &layout)) return StreamOutcome::Fail();
    const qint64 pixels = qint64(layout.declared.width()) * layout.declared.height();
    if (!PictureSize::AdmissibleStreamed(layout.declared) ||
        (layout.multiScan && pixels > PictureSize::MaxDeclaredPixels))
        return StreamOutcome::Refuse();
    RowShrinker shrinker(layout.output, PictureSize::Shrunk(layout.declared),
                         RowShrinker::Alpha::Opaque);
    if (!shrinker.IsValid()) return StreamOutcome::Fail();
    if (!pipelined) {
        std::vector<JSAMPLE> cmyk(layout.cmyk ? size_t(layout.output.width()) * 4 : 0);
        if (!ReadRows(&info, &errors, source.get(), &shrinker, layout.cmyk ? cmyk.data() : nullptr))
            return StreamOutcome::Fail();
        return StreamOutcome::Done(shrinker.Take());
    }
    // Rows of four bytes a pixel either way, about 4 MB of them.
    const size_t rowBytes = size_t(layout.output.width()) * 4;
    PageWarmer warmer(shrinker.Pixels(), shrinker.PixelBytes());
    RowRing ring(rowBytes, int(std::clamp<size_t>((size_t(4) << 20) / rowBytes, 4, 64)));
    if (!ring.IsValid()) return StreamOutcome::Decline();
    ring.ShareIdleWork([&warmer] { return warmer.WarmNext(); });
    if (!ring.Start([&info, &errors, &source](RowRing& r) {
            return MakeRows(&info, &errors, source.get(), &r);
        }))
        return StreamOutcome::Decline();
    const bool taken = TakeRows(ring, progress, shrinker, layout.cmyk);
    while (ring.Take()) ring.GiveBack();
    const bool made = ring.Succeeded();
    progress.Tell();
    return taken && made ? StreamOutcome::Done(shrinker.Take()) : StreamOutcome::Fail();
}
