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
// lanes; the sums are exact either way, so the pixels are the same.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define TIDEMARK_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define TIDEMARK_PIXEL_LOOP
#endif

namespace {

constexpr int kChannels = 4;
// The most taps a column may have for SumRowInPairs: spans up to a
// reduction of about fifteen times.
constexpr int kMostTaps = 16;
// The sums of a row, 255 a channel times its width at most, fit in 32 bits
// only while the rows taken are no wider than this.
static_assert(255 * qint64(PictureSize::MaxStreamedWidth) <= INT32_MAX);

}  // namespace

RowShrinker::RowShrinker(QSize source, QSize target, Alpha alpha)
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
        row_.resize(size_t(source.width()));
        spans_.resize(size_t(width));
        rowSums_.resize(size_t(width) * kChannels);
        sums_.assign(size_t(width) * kChannels, 0.0);
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
        }
#endif
    }
    image_ = std::move(image);
    bits_ = image_.bits();
    bytesPerLine_ = image_.bytesPerLine();
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
    if (taps_ > 0)
        SumRowInPairs(row);
    else
        SumRow(row);
    // The source row covers [y * to, (y + 1) * to) and the destination row
    // being built ends at (rowsOut_ + 1) * from; a row can't straddle more
    // than one end, as the destination is never taller than the source.
    const uint64_t to = uint64_t(target_.height()), from = uint64_t(source_.height());
    const uint64_t top = uint64_t(y) * to, bottom = top + to;
    const uint64_t end = uint64_t(rowsOut_ + 1) * from;
    if (bottom < end) {
        Accumulate(to);
    } else {
        Accumulate(end - top);
        Emit();
        if (bottom > end) Accumulate(bottom - end);
    }
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
    lower.rowSums_.resize(rowSums_.size());
    lower.sums_.assign(sums_.size(), 0.0);
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
            for (size_t i = 0; i < sums_.size(); ++i) sums_[i] += lower.held_[i];
            Emit();
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

TIDEMARK_PIXEL_LOOP void RowShrinker::SumRow(const QRgb* row) {
    const uint64_t whole = uint64_t(target_.width());
    int32_t* out = rowSums_.data();
    for (const Span& span : spans_) {
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
        out[0] = int32_t(blueGreen & 0xFFFFFFFF);
        out[1] = int32_t(blueGreen >> 32);
        out[2] = int32_t(redAlpha & 0xFFFFFFFF);
        out[3] = int32_t(redAlpha >> 32);
        out += kChannels;
    }
}

// The same sums, two source pixels a step: their four channels side by side
// in 16-bit lanes, each pair multiplied by its weights and added in one
// instruction (pmaddwd), without a branch on the span's length. The
// products stay far inside 32 bits: 255 x the source's width at most.
void RowShrinker::SumRowInPairs(const QRgb* row) {
#if defined(ROW_SHRINKER_SSE2)
    const __m128i zero = _mm_setzero_si128();
    const int32_t* index = tapIndex_.data();
    const int32_t* weights = tapWeights_.data();
    int32_t* out = rowSums_.data();
    const int pairs = taps_ / 2;
    for (size_t x = 0; x < spans_.size(); ++x, out += kChannels) {
        __m128i sum = zero;
        for (int p = 0; p < pairs; ++p, index += 2, ++weights) {
            const __m128i a = _mm_cvtsi32_si128(int(row[index[0]]));
            const __m128i b = _mm_cvtsi32_si128(int(row[index[1]]));
            const __m128i channels = _mm_unpacklo_epi8(_mm_unpacklo_epi8(a, b), zero);
            sum = _mm_add_epi32(sum, _mm_madd_epi16(channels, _mm_set1_epi32(*weights)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sum);
    }
#else
    SumRow(row);
#endif
}

TIDEMARK_PIXEL_LOOP void RowShrinker::Accumulate(uint64_t weight) {
    const double w = double(weight);
    const int32_t* __restrict in = rowSums_.data();
    double* __restrict sums = sums_.data();
    const size_t count = sums_.size();
    // A pixel's four channels a step, which compilers turn into vector code
    // even where they leave loops of unknown length alone.
    for (size_t i = 0; i < count; i += kChannels) {
        sums[i] += w * in[i];
        sums[i + 1] += w * in[i + 1];
        sums[i + 2] += w * in[i + 2];
        sums[i + 3] += w * in[i + 3];
    }
}

TIDEMARK_PIXEL_LOOP void RowShrinker::Emit() {
    if (holdFirst_ && held_.empty()) {
        // The lower part's first row: the part above has the rest of it.
        held_.swap(sums_);
        sums_.assign(held_.size(), 0.0);
        ++rowsOut_;
        return;
    }
    uchar* __restrict out = bits_ + rowsOut_ * bytesPerLine_;
    const double scale = scale_;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // The sums' order, blue, green, red, alpha, is QRgb's in memory: a
    // pixel's four channels a step, cleared for the next row as they go.
    double* __restrict sums = sums_.data();
    const size_t count = sums_.size();
    for (size_t i = 0; i < count; i += kChannels) {
        out[i] = uchar(int32_t(sums[i] * scale + 0.5));
        out[i + 1] = uchar(int32_t(sums[i + 1] * scale + 0.5));
        out[i + 2] = uchar(int32_t(sums[i + 2] * scale + 0.5));
        out[i + 3] = uchar(int32_t(sums[i + 3] * scale + 0.5));
        sums[i] = sums[i + 1] = sums[i + 2] = sums[i + 3] = 0;
    }
    ++rowsOut_;
    return;
#else
    const double* in = sums_.data();
    for (int x = 0; x < target_.width(); ++x, in += kChannels)
        reinterpret_cast<QRgb*>(out)[x] =
            qRgba(int32_t(in[2] * scale + 0.5), int32_t(in[1] * scale + 0.5),
                  int32_t(in[0] * scale + 0.5), int32_t(in[3] * scale + 0.5));
#endif
    std::fill(sums_.begin(), sums_.end(), 0.0);
    ++rowsOut_;
}
