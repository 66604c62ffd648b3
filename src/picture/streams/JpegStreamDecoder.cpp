#include "JpegStreamDecoder.h"

#include <QIODevice>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "DeviceInput.h"
#include "JpegEntropyScanner.h"
#include "JpegScanLayout.h"
#include "JpegSplitPoint.h"
#include "JpegStreamSplicer.h"
#include "PositionalFile.h"
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
// The file's markers before its data, copied into the lower part's file.
constexpr qint64 kMostHeaderBytes = qint64(4) << 20;

// How far the two parts of a picture decoded in two have read, told as one
// position.
struct PartsRead {
    ReadProgress* progress = nullptr;
    qint64 size = 0;
    std::atomic<qint64> upper{0};
    std::atomic<qint64> lower{0};
    // The rows above the cut are read by both parts: never past the end.
    void Note() noexcept {
        progress->Note(std::min(
            size, upper.load(std::memory_order_relaxed) + lower.load(std::memory_order_relaxed)));
    }
};

struct Errors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

struct Source {
    jpeg_source_mgr manager;
    QIODevice* device = nullptr;
    // In a picture decoded in two, the upper part reads the file at offsets
    // from `offset`, and the lower part from its own spliced file.
    const PositionalFile* file = nullptr;
    qint64 offset = 0;
    JpegStreamSplicer* splicer = nullptr;
    qint64 splicedFrom = 0;
    PartsRead* parts = nullptr;
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

// Bytes from wherever this part of the picture reads.
size_t Read(Source* source) {
    if (source->splicer) {
        const size_t length = source->splicer->Next(source->buffer, kBufferSize);
        source->parts->lower.store(source->splicer->Position() - source->splicedFrom,
                                   std::memory_order_relaxed);
        source->parts->Note();
        return length;
    }
    if (source->file) {
        const qint64 read =
            source->file->ReadAt(source->offset, source->buffer, qint64(kBufferSize));
        if (read > 0) source->offset += read;
        if (source->parts) {
            source->parts->upper.store(source->offset, std::memory_order_relaxed);
            source->parts->Note();
        }
        return read > 0 ? size_t(read) : 0;
    }
    const qint64 read = DeviceInput::Read(*source->device, source->buffer, qint64(kBufferSize));
    if (source->progress) source->progress->Note(DeviceInput::Position(*source->device));
    return read > 0 ? size_t(read) : 0;
}

boolean Fill(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    size_t length = Read(source);
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
    qint64 beyond = qint64(bytes - source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    // Past the end, the next read finds nothing and ends the picture.
    if (source->splicer) {
        size_t read = 0;
        while (beyond > 0 && (read = Read(source)) > 0) beyond -= qint64(read);
        if (beyond < 0) {
            source->manager.next_input_byte = source->buffer + (qint64(read) + beyond);
            source->manager.bytes_in_buffer = size_t(-beyond);
        }
    } else if (source->file) {
        source->offset += beyond;
    } else {
        DeviceInput::Skip(*source->device, beyond);
    }
}

bool Create(j_decompress_ptr info, Errors* errors) {
    if (setjmp(errors->jump)) return false;
    jpeg_create_decompress(info);
    return true;
}

// A libjpeg decompressor that reports through Errors, destroyed with it.
struct Decompressor {
    jpeg_decompress_struct info{};
    Errors errors{};
    bool created = false;

    Decompressor() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = Fail;
        errors.manager.emit_message = Warn;
        errors.manager.output_message = Quiet;
        created = Create(&info, &errors);
    }
    ~Decompressor() {
        if (created) jpeg_destroy_decompress(&info);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// A source with our callbacks, its bytes from wherever the caller points it.
std::unique_ptr<Source> NewSource() {
    auto source = std::make_unique<Source>();
    source->manager.init_source = Start;
    source->manager.fill_input_buffer = Fill;
    source->manager.skip_input_data = Skip;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = End;
    return source;
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

// The lower part of a picture decoded in two, on a thread of its own: a pass
// over the upper part's data to a row where it may begin, then libjpeg on
// the rest as a file of its own, shrunk into the lower part of the picture.
// The thread has ended by the time the destructor returns.
class LowerPart {
public:
    struct Plan {
        const PositionalFile* file = nullptr;
        const JpegScanLayout* layout = nullptr;
        QByteArray header;
        qint64 dataStart = 0;
        qint64 cutFrom = 0;  // the first offset the cut may be at
        int pictureHeight = 0;
        unsigned scale = 8;  // in eighths
        J_COLOR_SPACE colours = JCS_UNKNOWN;
        bool cmyk = false;
        QSize output;
    };

    LowerPart(Plan plan, RowShrinker band, JpegSplitPoint& split, PartsRead& parts)
        : plan_(std::move(plan)), band_(std::move(band)), split_(split), parts_(parts) {}
    ~LowerPart() { Stop(); }

    bool Begin() {
        try {
            thread_ = std::thread([this] {
                succeeded_ = Run();
                split_.Decided();
                finished_.store(true, std::memory_order_release);
            });
            return true;
        } catch (...) {
            return false;
        }
    }
    // Whether it made every row after its cut, once it has finished; the
    // split point says whether it cut.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    bool Succeeded() const { return succeeded_; }
    RowShrinker& Band() { return band_; }
    void Stop() {
        stop_.store(true, std::memory_order_relaxed);
        Wait();
    }
    void Wait() {
        if (thread_.joinable()) thread_.join();
    }

private:
    bool Run() noexcept {
        try {
            return Decode();
        } catch (...) {
            return false;
        }
    }

    bool Decode() {
        const JpegScanLayout& layout = *plan_.layout;
        JpegEntropyScanner scanner(*plan_.file, layout, plan_.dataStart);
        JpegEntropyScanner::Place before, at;
        if (!scanner.Find(plan_.cutFrom, before, at, stop_)) return false;
        const int steps = at.unitRow / layout.unitRowsPerStep;
        const int outputRowsPerStep = layout.pictureRowsPerStep * int(plan_.scale) / 8;
        const int firstPictureRow = (steps - 1) * layout.pictureRowsPerStep;
        JpegStreamSplicer splicer(*plan_.file, layout, plan_.header,
                                  plan_.pictureHeight - firstPictureRow, before);
        const int cutRow = steps * outputRowsPerStep;
        if (!splicer.IsValid() || !split_.Cut(cutRow)) return false;
        band_.StartAt(cutRow);

        Decompressor jpeg;
        if (!jpeg.created) return false;
        auto source = NewSource();
        source->splicer = &splicer;
        source->splicedFrom = before.offset;
        source->parts = &parts_;
        jpeg.info.src = &source->manager;
        std::vector<JSAMPLE> scratch(size_t(plan_.output.width()) * 4);
        return Rows(&jpeg.info, &jpeg.errors, source.get(),
                    JpegStreamSplicer::kStepsBefore * outputRowsPerStep, scratch.data());
    }

    // libjpeg's part; the jump target is set here, on this thread.
    bool Rows(j_decompress_ptr info, Errors* errors, const Source* source, int skipped,
              JSAMPLE* scratch) {
        if (setjmp(errors->jump)) return false;
        if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
        info->out_color_space = plan_.colours;
        info->scale_num = plan_.scale;
        info->scale_denom = 8;
        jpeg_start_decompress(info);
        // The splicer's own step, then the found one, which only gives the
        // rows below it what they see above.
        if (int(info->output_width) != plan_.output.width() ||
            int(info->output_height) != plan_.output.height() - band_.RowsIn() + skipped)
            return false;
        for (int i = 0; i < skipped; ++i) {
            JSAMPROW row = scratch;
            if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        }
        while (!band_.IsComplete()) {
            if (stop_.load(std::memory_order_relaxed)) return false;
            JSAMPROW row = plan_.cmyk ? scratch : reinterpret_cast<JSAMPROW>(band_.Row());
            if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
            if (plan_.cmyk) ToRgb(scratch, band_.Row(), plan_.output.width());
            band_.Commit();
        }
        jpeg_finish_decompress(info);
        return !source->ended;
    }

    Plan plan_;
    RowShrinker band_;
    JpegSplitPoint& split_;
    PartsRead& parts_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    bool succeeded_ = false;
    std::thread thread_;
};

// The worker's part: the rows as libjpeg gives them, QRgb or CMYK, into
// the ring. The jump target is set on this thread, which alone calls into
// libjpeg meanwhile.
bool MakeRows(j_decompress_ptr info, Errors* errors, const Source* source, RowRing* ring,
              JpegSplitPoint* split, bool awaitCut) {
    if (setjmp(errors->jump)) return false;
    jpeg_start_decompress(info);
    if (jpeg_has_multiple_scans(info) && source->ended) return false;
    if (split && awaitCut) split->AwaitDecision();
    while (info->output_scanline < info->output_height) {
        // The rest is the lower part's.
        if (split && !split->Next(int(info->output_scanline))) return true;
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
    const qint64 headerStart = DeviceInput::Position(device_);
    Decompressor jpeg;
    if (!jpeg.created) return StreamOutcome::Fail();
    jpeg_decompress_struct& info = jpeg.info;
    Errors& errors = jpeg.errors;

    auto source = NewSource();
    source->device = &device_;
    if (pipelined) source->progress = &progress;
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

    // A large baseline picture in a file is decoded in two parts at once,
    // each thread reading the file at its own offsets.
    const PositionalFile file(device_);
    JpegScanLayout scan;
    JpegSplitPoint split;
    PartsRead parts;
    parts.progress = &progress;
    parts.size = file.Size();
    std::unique_ptr<LowerPart> lower;
    const qint64 dataStart = DeviceInput::Position(device_) - qint64(info.src->bytes_in_buffer);
    if (file.IsValid() && !layout.multiScan && headerStart >= 0 && dataStart > headerStart &&
        dataStart - headerStart <= kMostHeaderBytes &&
        file.Size() - dataStart >= split_.leastBytes && JpegScanLayout::Read(info, scan)) {
        LowerPart::Plan plan;
        plan.header.resize(dataStart - headerStart);
        if (file.ReadAt(headerStart, plan.header.data(), plan.header.size()) ==
            plan.header.size()) {
            plan.file = &file;
            plan.layout = &scan;
            plan.dataStart = dataStart;
            plan.cutFrom = dataStart + qint64(double(file.Size() - dataStart) * split_.upperShare);
            plan.pictureHeight = layout.declared.height();
            plan.scale = info.scale_num;
            plan.colours = info.out_color_space;
            plan.cmyk = layout.cmyk;
            plan.output = layout.output;
            source->file = &file;
            source->offset = DeviceInput::Position(device_);
            source->parts = &parts;
            parts.upper = source->offset;
            lower = std::make_unique<LowerPart>(std::move(plan), shrinker.Below(), split, parts);
            if (!lower->Begin()) lower.reset();
        }
    }
    JpegSplitPoint* cut = lower ? &split : nullptr;
    const bool awaitCut = split_.upperWaits;
    if (!ring.Start([&info, &errors, &source, cut, awaitCut](RowRing& r) {
            return MakeRows(&info, &errors, source.get(), &r, cut, awaitCut);
        }))
        return StreamOutcome::Decline();
    const bool taken = TakeRows(ring, progress, shrinker, layout.cmyk);
    while (ring.Take()) ring.GiveBack();
    const bool made = ring.Succeeded();
    // Told by the split point, which the lower part's thread may not have
    // returned from yet.
    wasSplit_ = lower && split.End() != std::numeric_limits<int>::max();
    if (!lower || !made || taken) {
        if (lower) lower->Stop();
        progress.Tell();
        return taken && made ? StreamOutcome::Done(shrinker.Take()) : StreamOutcome::Fail();
    }
    // The upper part ended at the cut: the lower part's thread has the rest.
    while (!lower->Finished()) {
        if (!warmer.WarmNext()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        progress.Tell();
    }
    lower->Wait();
    if (wasSplit_ && lower->Succeeded() && shrinker.RowsIn() == split.End() &&
        shrinker.Join(lower->Band())) {
        progress.Note(file.Size());
        progress.Tell();
        return StreamOutcome::Done(shrinker.Take());
    }
    progress.Tell();
    // A lower part that failed is decoded again whole, on one thread, which
    // says what is wrong with the file as the image readers would.
    return StreamOutcome::Decline();
}
