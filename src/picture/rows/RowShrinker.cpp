#include "RowShrinker.h"

#include <algorithm>
#include <cstdint>

// Every x86-64 processor has SSE2; MSVC says so only through _M_X64.
#if (defined(__SSE2__) || defined(_M_X64)) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
#define ROW_SHRINKER_SSE2 1
#include <emmintrin.h>
#endif

#include "picture/inspect/PictureSize.h"
#include "picture/memory/MappedImage.h"

// Where the loader picks among a function's versions at load time, the
// loops over every pixel come in a version for AVX2 as well, with twice the
// lanes; the sums are exact either way, so the pixels are the same. The
// windows are read with AVX2 alone, chosen at run time. Neither on Windows,
// where GCC doesn't align the stack for 32-byte spills.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define TIDEMARK_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define TIDEMARK_PIXEL_LOOP
#endif
#if defined(__GNUC__) && defined(__x86_64__) && defined(__linux__)
#define ROW_SHRINKER_WINDOWS 1
#include <immintrin.h>
#endif

namespace {

constexpr int kChannels = 4;
// The most taps a column may have for SumRowInPairs: spans up to a
// reduction of about fifteen times.
constexpr int kMostTaps = 16;
// The sums of a row, 255 a channel times its width at most, fit in 31 bits
// only while the rows taken are no wider than this.
static_assert(255 * qint64(PictureSize::MaxStreamedWidth) <= INT32_MAX);

#if defined(ROW_SHRINKER_SSE2)
// A destination row from its sums, a pixel a step, in the lanes every
// x86-64 processor has; as EmitEights below, to the bit.
void EmitFours(const int32_t* whole, const int32_t* first, const int32_t* last, const double* extra,
               double to, double firstWeight, double lastWeight, double scale, uchar* out,
               size_t count) {
    const __m128d toLanes = _mm_set1_pd(to), firstLanes = _mm_set1_pd(firstWeight),
                  lastLanes = _mm_set1_pd(lastWeight), scaleLanes = _mm_set1_pd(scale),
                  half = _mm_set1_pd(0.5);
    // Two channels of the pixel's four, from the low half of each.
    const auto two = [&](__m128i w, __m128i f, __m128i l, const double* e) {
        __m128d sum = _mm_add_pd(_mm_add_pd(_mm_mul_pd(toLanes, _mm_cvtepi32_pd(w)),
                                            _mm_mul_pd(firstLanes, _mm_cvtepi32_pd(f))),
                                 _mm_mul_pd(lastLanes, _mm_cvtepi32_pd(l)));
        if (e) sum = _mm_add_pd(sum, _mm_loadu_pd(e));
        return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(sum, scaleLanes), half));
    };
    for (size_t i = 0; i < count; i += 4) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(whole + i));
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last + i));
        const __m128i channels =
            _mm_unpacklo_epi64(two(w, f, l, extra ? extra + i : nullptr),
                               two(_mm_unpackhi_epi64(w, w), _mm_unpackhi_epi64(f, f),
                                   _mm_unpackhi_epi64(l, l), extra ? extra + i + 2 : nullptr));
        const __m128i words = _mm_packs_epi32(channels, channels);
        const int pixel = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::copy_n(reinterpret_cast<const uchar*>(&pixel), 4, out + i);
    }
}
#endif

#if defined(ROW_SHRINKER_WINDOWS)
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

inline __m128i Load128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// Columns whose windows are four pixels, two columns a step: each window's
// four pixels are put in channel order, the first two's and the last two's
// channels side by side in 16-bit lanes, multiplied by their weights and
// added in pairs (pmaddwd). `weights` holds two packed pairs a column.
__attribute__((target("avx2"))) void SumFours(const QRgb* row, const int32_t* first,
                                              const int32_t* weights, int count, int32_t* out,
                                              bool add) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i order = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0,
                                           4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i firstPairs = _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2);
    const __m256i secondPairs = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
    for (int x = 0; x + 1 < count; x += 2, out += 2 * kChannels) {
        __m256i pixels = _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(row + first[x])),
                                                 Load128(row + first[x + 1]), 1);
        pixels = _mm256_shuffle_epi8(pixels, order);
        const __m256i w = _mm256_castsi128_si256(Load128(weights + 2 * x));
        __m256i sum =
            _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(pixels, zero),
                                               _mm256_permutevar8x32_epi32(w, firstPairs)),
                             _mm256_madd_epi16(_mm256_unpackhi_epi8(pixels, zero),
                                               _mm256_permutevar8x32_epi32(w, secondPairs)));
        auto* to = reinterpret_cast<__m256i*>(out);
        if (add) sum = _mm256_add_epi32(sum, _mm256_loadu_si256(to));
        _mm256_storeu_si256(to, sum);
    }
}

// Columns whose windows are `eights` x 8 pixels, a column a step: the same
// as SumFours, each half of a vector a window's four pixels.
__attribute__((target("avx2"))) void SumEights(const QRgb* row, const int32_t* first,
                                               const int32_t* weights, int eights, int count,
                                               int32_t* out, bool add) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i order = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0,
                                           4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i firstPairs = _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2);
    const __m256i secondPairs = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
    for (int x = 0; x < count; ++x, out += kChannels) {
        const QRgb* pixel = row + first[x];
        __m256i sum = zero;
        for (int e = 0; e < eights; ++e, pixel += 8, weights += 4) {
            const __m256i pixels = _mm256_shuffle_epi8(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixel)), order);
            const __m256i w = _mm256_castsi128_si256(Load128(weights));
            sum = _mm256_add_epi32(sum,
                                   _mm256_madd_epi16(_mm256_unpacklo_epi8(pixels, zero),
                                                     _mm256_permutevar8x32_epi32(w, firstPairs)));
            sum = _mm256_add_epi32(sum,
                                   _mm256_madd_epi16(_mm256_unpackhi_epi8(pixels, zero),
                                                     _mm256_permutevar8x32_epi32(w, secondPairs)));
        }
        __m128i total =
            _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
        auto* to = reinterpret_cast<__m128i*>(out);
        if (add) total = _mm_add_epi32(total, _mm_loadu_si128(to));
        _mm_storeu_si128(to, total);
    }
}

// A destination row from its sums, two pixels a step: every sum an integer
// below 2^53, weighted and added exactly in doubles, then scaled and
// rounded as the portable loop does, multiplying and adding apart.
struct EmitLanes {
    __m256d to, first, last, scale, half;
};

__attribute__((target("avx2"))) inline __m128i EmitPixel(const EmitLanes& lanes,
                                                         const int32_t* whole, const int32_t* first,
                                                         const int32_t* last, const double* extra) {
    __m256d sum =
        _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(lanes.to, _mm256_cvtepi32_pd(Load128(whole))),
                                    _mm256_mul_pd(lanes.first, _mm256_cvtepi32_pd(Load128(first)))),
                      _mm256_mul_pd(lanes.last, _mm256_cvtepi32_pd(Load128(last))));
    if (extra) sum = _mm256_add_pd(sum, _mm256_loadu_pd(extra));
    return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(sum, lanes.scale), lanes.half));
}

__attribute__((target("avx2"))) void EmitEights(const int32_t* whole, const int32_t* first,
                                                const int32_t* last, const double* extra, double to,
                                                double firstWeight, double lastWeight, double scale,
                                                uchar* out, size_t count) {
    const EmitLanes lanes{_mm256_set1_pd(to), _mm256_set1_pd(firstWeight),
                          _mm256_set1_pd(lastWeight), _mm256_set1_pd(scale), _mm256_set1_pd(0.5)};
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i words = _mm_packs_epi32(
            EmitPixel(lanes, whole + i, first + i, last + i, extra ? extra + i : nullptr),
            EmitPixel(lanes, whole + i + 4, first + i + 4, last + i + 4,
                      extra ? extra + i + 4 : nullptr));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
    }
    for (; i < count; i += 4) {
        const __m128i one =
            EmitPixel(lanes, whole + i, first + i, last + i, extra ? extra + i : nullptr);
        const __m128i words = _mm_packs_epi32(one, one);
        const int pixel = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::copy_n(reinterpret_cast<const uchar*>(&pixel), 4, out + i);
    }
}
#endif

}  // namespace

RowShrinker::RowShrinker(QSize source, QSize target, Alpha alpha, [[maybe_unused]] Lanes lanes)
    : source_(source), target_(target), alpha_(alpha) {
    if (target.width() < 1 || target.height() < 1 || target.width() > source.width() ||
        target.height() > source.height() || source.width() > PictureSize::MaxStreamedWidth)
        return;
    // Ordinary pages: the decoders' idle moments make them resident ahead
    // of the rows, which huge pages gain nothing from and are no steadier.
    QImage image = MappedImage::Create(target, QImage::Format_ARGB32_Premultiplied,
                                       MappedBuffer::Pages::Ordinary);
    if (image.isNull()) return;
    if (Shrinking()) {
        const int width = target.width();
        const size_t sums = size_t(width) * kChannels;
        row_.resize(size_t(source.width()));
        spans_.resize(size_t(width));
        whole_.assign(sums, 0);
        firstEdge_.assign(sums, 0);
        lastEdge_.assign(sums, 0);
        mostWholeRows_ = int(INT32_MAX / (255 * qint64(source.width())));
        const uint64_t from = uint64_t(source.width()), to = uint64_t(width);
        for (uint64_t x = 0; x < to; ++x) {
            // The column covers [x * from, (x + 1) * from) and source pixel
            // i covers [i * to, (i + 1) * to).
            const uint64_t low = x * from, high = (x + 1) * from;
            Span& span = spans_[x];
            span.first = int(low / to);
            span.last = int((high - 1) / to);
            span.firstWeight = uint32_t(std::min<uint64_t>((span.first + 1) * to, high) - low);
            span.lastWeight = uint32_t(high - uint64_t(span.last) * to);
        }
        scale_ = 1.0 / (double(source.width()) * double(source.height()));
#if defined(ROW_SHRINKER_SSE2)
        int longest = 0;
        for (const Span& span : spans_) longest = std::max(longest, span.last - span.first + 1);
        // Weights of whole pixels are the destination's width, at most
        // PictureSize::MaxSide: they fit the 16-bit lanes.
        if (longest <= kMostTaps && to <= 0x7FFF) {
            taps_ = (longest + 1) / 2 * 2;
            tapIndex_.resize(spans_.size() * size_t(taps_));
            tapWeights_.resize(spans_.size() * size_t(taps_ / 2));
            for (size_t x = 0; x < spans_.size(); ++x) {
                const Span& span = spans_[x];
                int32_t* index = tapIndex_.data() + x * size_t(taps_);
                std::vector<int32_t> weight(size_t(taps_), 0);
                for (int t = 0; t < taps_; ++t) {
                    const int at = span.first + t;
                    index[t] = std::min(at, span.last);
                    if (at > span.last) continue;
                    weight[size_t(t)] = at == span.first  ? int32_t(span.firstWeight)
                                        : at == span.last ? int32_t(span.lastWeight)
                                                          : int32_t(to);
                }
                for (int t = 0; t < taps_; t += 2)
                    tapWeights_[x * size_t(taps_ / 2) + size_t(t / 2)] =
                        weight[size_t(t)] | weight[size_t(t) + 1] << 16;
            }
            if (lanes == Lanes::Widest) MakeWindows();
        }
#endif
    }
    image_ = std::move(image);
    bits_ = image_.bits();
    bytesPerLine_ = image_.bytesPerLine();
}

void RowShrinker::MakeWindows() {
#if defined(ROW_SHRINKER_WINDOWS)
    if (!HasAvx2()) return;
    // Four pixels where the spans fit, else eight at a time: the pixels
    // past a span weigh nothing.
    window_ = taps_ <= 4 ? 4 : (taps_ + 7) / 8 * 8;
    const int pairs = window_ / 2;
    windowWeights_.assign(spans_.size() * size_t(pairs), 0);
    windowFirst_.resize(spans_.size());
    windowEnd_ = 0;
    for (size_t x = 0; x < spans_.size(); ++x) {
        windowFirst_[x] = spans_[x].first;
        if (spans_[x].first + window_ <= source_.width()) windowEnd_ = int(x) + 1;
        // The taps' weights, padded with pairs of no weight.
        std::copy_n(tapWeights_.data() + x * size_t(taps_ / 2), taps_ / 2,
                    windowWeights_.data() + x * size_t(pairs));
    }
    // Two columns a step for windows of four.
    if (window_ == 4) windowEnd_ &= ~1;
#endif
}

QRgb* RowShrinker::Row() {
    if (!IsValid() || IsComplete()) return nullptr;
    if (Shrinking()) return row_.data();
    return reinterpret_cast<QRgb*>(bits_ + rowsIn_ * bytesPerLine_);
}

void RowShrinker::Commit() {
    if (QRgb* row = Row()) Add(row);
}

void RowShrinker::Commit(QRgb* row) {
    QRgb* own = Row();
    if (!own) return;
    if (!Shrinking()) {
        std::copy_n(row, source_.width(), own);
        row = own;
    }
    Add(row);
}

void RowShrinker::Add(QRgb* row) {
    Premultiply(row);
    const int y = rowsIn_++;
    if (!Shrinking()) return;
    // The source row covers [y * to, (y + 1) * to) and the destination row
    // being built ends at (rowsOut_ + 1) * from; a row can't straddle more
    // than one end, as the destination is never taller than the source.
    const uint64_t to = uint64_t(target_.height()), from = uint64_t(source_.height());
    const uint64_t top = uint64_t(y) * to, bottom = top + to;
    const uint64_t end = uint64_t(rowsOut_ + 1) * from;
    if (bottom <= end) {
        if (wholeRows_ == mostWholeRows_) SpillWhole();
        SumRow(row, whole_.data(), true);
        ++wholeRows_;
        if (bottom == end) {
            Emit(0);
            firstWeight_ = 0;
        }
        return;
    }
    // Shared with the next destination row, where it is the first.
    SumRow(row, lastEdge_.data(), false);
    Emit(end - top);
    firstEdge_.swap(lastEdge_);
    firstWeight_ = bottom - end;
}

void RowShrinker::SpillWhole() {
    extra_.resize(whole_.size(), 0.0);
    const double to = double(target_.height());
    for (size_t i = 0; i < whole_.size(); ++i) {
        extra_[i] += to * whole_[i];
        whole_[i] = 0;
    }
    hasExtra_ = true;
    wholeRows_ = 0;
}

RowShrinker RowShrinker::Below() const {
    RowShrinker lower;
    if (!IsValid()) return lower;
    lower.source_ = source_;
    lower.target_ = target_;
    lower.alpha_ = alpha_;
    lower.row_.resize(row_.size());
    lower.spans_ = spans_;
    lower.taps_ = taps_;
    lower.tapIndex_ = tapIndex_;
    lower.tapWeights_ = tapWeights_;
    lower.window_ = window_;
    lower.windowEnd_ = windowEnd_;
    lower.windowFirst_ = windowFirst_;
    lower.windowWeights_ = windowWeights_;
    lower.whole_.assign(whole_.size(), 0);
    lower.firstEdge_.assign(firstEdge_.size(), 0);
    lower.lastEdge_.assign(lastEdge_.size(), 0);
    lower.mostWholeRows_ = mostWholeRows_;
    lower.scale_ = scale_;
    lower.bits_ = bits_;
    lower.bytesPerLine_ = bytesPerLine_;
    return lower;
}

void RowShrinker::StartAt(int sourceRow) {
    if (!IsValid() || rowsIn_ != 0 || sourceRow < 0 || sourceRow > source_.height()) return;
    startRow_ = rowsIn_ = sourceRow;
    if (!Shrinking()) return;
    const uint64_t top = uint64_t(sourceRow) * uint64_t(target_.height());
    rowsOut_ = int(top / uint64_t(source_.height()));
    holdFirst_ = top % uint64_t(source_.height()) != 0;
}

bool RowShrinker::Join(RowShrinker& lower) {
    if (!IsValid() || !lower.IsValid() || lower.bits_ != bits_ || !lower.IsComplete() ||
        rowsIn_ != lower.startRow_ || !lower.image_.isNull())
        return false;
    if (Shrinking()) {
        const int shared =
            int(uint64_t(rowsIn_) * uint64_t(target_.height()) / uint64_t(source_.height()));
        if (rowsOut_ != shared) return false;
        if (lower.holdFirst_) {
            extra_.resize(lower.held_.size(), 0.0);
            for (size_t i = 0; i < extra_.size(); ++i) extra_[i] += lower.held_[i];
            hasExtra_ = true;
            Emit(0);
        }
        rowsOut_ = target_.height();
    }
    rowsIn_ = source_.height();
    return true;
}

QImage RowShrinker::Take() {
    if (!IsValid() || !IsComplete()) return {};
    bits_ = nullptr;
    return std::move(image_);
}

void RowShrinker::Premultiply(QRgb* row) const {
    if (alpha_ != Alpha::Straight) return;
    for (QRgb* end = row + source_.width(); row != end; ++row)
        if (qAlpha(*row) != 255) *row = qPremultiply(*row);
}

void RowShrinker::SumRow(const QRgb* row, int32_t* out, bool add) const {
    const int width = target_.width();
#if defined(ROW_SHRINKER_WINDOWS)
    if (window_ == 4) {
        SumFours(row, windowFirst_.data(), windowWeights_.data(), windowEnd_, out, add);
    } else if (window_ > 0) {
        SumEights(row, windowFirst_.data(), windowWeights_.data(), window_ / 8, windowEnd_, out,
                  add);
    }
    if (window_ > 0) {
        SumSpans(row, out, add, windowEnd_, width);
        return;
    }
#endif
    if (taps_ > 0)
        SumRowInPairs(row, out, add);
    else
        SumSpans(row, out, add, 0, width);
}

namespace {

// A pixel's four channels spread over two words, a channel in each 32-bit
// half (blue and green, red and alpha), so that sums and weights apply to
// two channels at once without carrying into each other: no sum here
// exceeds 255 x PictureSize::MaxStreamedWidth.
struct Wide {
    uint64_t blueGreen = 0;
    uint64_t redAlpha = 0;
};

inline Wide Spread(QRgb p) {
    return {(p & 0xFF) | (uint64_t(p & 0xFF00) << 24),
            ((p >> 16) & 0xFF) | (uint64_t(p & 0xFF000000) << 8)};
}

}  // namespace

// The columns from..to, span by span.
TIDEMARK_PIXEL_LOOP void RowShrinker::SumSpans(const QRgb* row, int32_t* out, bool add, int from,
                                               int to) const {
    const uint64_t whole = uint64_t(target_.width());
    out += size_t(from) * kChannels;
    for (int x = from; x < to; ++x, out += kChannels) {
        const Span& span = spans_[size_t(x)];
        const Wide first = Spread(row[span.first]);
        uint64_t blueGreen = first.blueGreen * span.firstWeight;
        uint64_t redAlpha = first.redAlpha * span.firstWeight;
        if (span.last > span.first) {
            uint64_t middleBlueGreen = 0, middleRedAlpha = 0;
            for (int i = span.first + 1; i < span.last; ++i) {
                const Wide p = Spread(row[i]);
                middleBlueGreen += p.blueGreen;
                middleRedAlpha += p.redAlpha;
            }
            const Wide last = Spread(row[span.last]);
            blueGreen += middleBlueGreen * whole + last.blueGreen * span.lastWeight;
            redAlpha += middleRedAlpha * whole + last.redAlpha * span.lastWeight;
        }
        const int32_t sums[kChannels] = {int32_t(blueGreen & 0xFFFFFFFF), int32_t(blueGreen >> 32),
                                         int32_t(redAlpha & 0xFFFFFFFF), int32_t(redAlpha >> 32)};
        for (int c = 0; c < kChannels; ++c) out[c] = add ? out[c] + sums[c] : sums[c];
    }
}

// The same sums, two source pixels a step: their four channels side by side
// in 16-bit lanes, each pair multiplied by its weights and added in one
// instruction (pmaddwd), without a branch on the span's length. The
// products stay far inside 32 bits: 255 x the source's width at most.
void RowShrinker::SumRowInPairs(const QRgb* row, int32_t* out, bool add) const {
#if defined(ROW_SHRINKER_SSE2)
    const __m128i zero = _mm_setzero_si128();
    const int32_t* index = tapIndex_.data();
    const int32_t* weights = tapWeights_.data();
    const int pairs = taps_ / 2;
    for (size_t x = 0; x < spans_.size(); ++x, out += kChannels) {
        __m128i sum = zero;
        for (int p = 0; p < pairs; ++p, index += 2, ++weights) {
            const __m128i a = _mm_cvtsi32_si128(int(row[index[0]]));
            const __m128i b = _mm_cvtsi32_si128(int(row[index[1]]));
            const __m128i channels = _mm_unpacklo_epi8(_mm_unpacklo_epi8(a, b), zero);
            sum = _mm_add_epi32(sum, _mm_madd_epi16(channels, _mm_set1_epi32(*weights)));
        }
        auto* to = reinterpret_cast<__m128i*>(out);
        if (add) sum = _mm_add_epi32(sum, _mm_loadu_si128(to));
        _mm_storeu_si128(to, sum);
    }
#else
    SumSpans(row, out, add, 0, target_.width());
#endif
}

// Every sum is an integer below 2^53, so the doubles add up exactly in any
// order.
double RowShrinker::Total(size_t i, uint64_t lastWeight) const {
    return double(target_.height()) * whole_[i] + double(firstWeight_) * firstEdge_[i] +
           double(lastWeight) * lastEdge_[i] + (hasExtra_ ? extra_[i] : 0.0);
}

void RowShrinker::Emit(uint64_t lastWeight) {
    if (holdFirst_ && held_.empty()) {
        // The lower part's first row: the part above has the rest of it.
        held_.resize(whole_.size());
        for (size_t i = 0; i < held_.size(); ++i) held_[i] = Total(i, lastWeight);
    } else {
        EmitPixels(lastWeight);
    }
    std::fill(whole_.begin(), whole_.end(), 0);
    if (hasExtra_) std::fill(extra_.begin(), extra_.end(), 0.0);
    hasExtra_ = false;
    wholeRows_ = 0;
    ++rowsOut_;
}

void RowShrinker::EmitPixels(uint64_t lastWeight) {
    uchar* out = bits_ + rowsOut_ * bytesPerLine_;
#if defined(ROW_SHRINKER_SSE2)
    const double* extra = hasExtra_ ? extra_.data() : nullptr;
    auto* write = &EmitFours;
#if defined(ROW_SHRINKER_WINDOWS)
    if (window_ > 0) write = &EmitEights;
#endif
    write(whole_.data(), firstEdge_.data(), lastEdge_.data(), extra, double(target_.height()),
          double(firstWeight_), double(lastWeight), scale_, out, whole_.size());
#else
    // The sums' order is blue, green, red, alpha.
    for (size_t i = 0; i < whole_.size(); i += kChannels) {
        int32_t c[kChannels];
        for (size_t k = 0; k < kChannels; ++k)
            c[k] = int32_t(Total(i + k, lastWeight) * scale_ + 0.5);
        reinterpret_cast<QRgb*>(out)[i / kChannels] = qRgba(c[2], c[1], c[0], c[3]);
    }
#endif
}
