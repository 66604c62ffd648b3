#include "RowShrinker.h"

#include <algorithm>

namespace {

constexpr int kChannels = 4;

}  // namespace

RowShrinker::RowShrinker(QSize source, QSize target, Alpha alpha)
    : source_(source), target_(target), alpha_(alpha) {
    if (target.width() < 1 || target.height() < 1 || target.width() > source.width() ||
        target.height() > source.height())
        return;
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return;
    if (Shrinking()) {
        const int width = target.width();
        row_.resize(size_t(source.width()));
        spans_.resize(size_t(width));
        rowSums_.resize(size_t(width) * kChannels);
        sums_.assign(size_t(width) * kChannels, 0);
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
    QRgb* row = Row();
    if (!row) return;
    Premultiply(row);
    const int y = rowsIn_++;
    if (!Shrinking()) return;
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

void RowShrinker::SumRow(const QRgb* row) {
    const uint64_t whole = uint64_t(target_.width());
    uint64_t* out = rowSums_.data();
    for (const Span& span : spans_) {
        const QRgb first = row[span.first];
        uint64_t b = uint64_t(span.firstWeight) * qBlue(first);
        uint64_t g = uint64_t(span.firstWeight) * qGreen(first);
        uint64_t r = uint64_t(span.firstWeight) * qRed(first);
        uint64_t a = uint64_t(span.firstWeight) * qAlpha(first);
        if (span.last > span.first) {
            // Whole pixels between, summed narrow: there are at most about
            // source / target of them.
            uint32_t mb = 0, mg = 0, mr = 0, ma = 0;
            for (int i = span.first + 1; i < span.last; ++i) {
                const QRgb p = row[i];
                mb += p & 0xFF;
                mg += (p >> 8) & 0xFF;
                mr += (p >> 16) & 0xFF;
                ma += p >> 24;
            }
            const QRgb last = row[span.last];
            b += whole * mb + uint64_t(span.lastWeight) * qBlue(last);
            g += whole * mg + uint64_t(span.lastWeight) * qGreen(last);
            r += whole * mr + uint64_t(span.lastWeight) * qRed(last);
            a += whole * ma + uint64_t(span.lastWeight) * qAlpha(last);
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = a;
        out += kChannels;
    }
}

void RowShrinker::Accumulate(uint64_t weight) {
    const uint64_t* in = rowSums_.data();
    for (uint64_t& sum : sums_) sum += weight * *in++;
}

void RowShrinker::Emit() {
    auto* out = reinterpret_cast<QRgb*>(bits_ + rowsOut_ * bytesPerLine_);
    const uint64_t* in = sums_.data();
    for (int x = 0; x < target_.width(); ++x, in += kChannels) {
        auto channel = [&](int c) { return uint32_t(double(in[c]) * scale_ + 0.5); };
        out[x] = (channel(3) << 24) | (channel(2) << 16) | (channel(1) << 8) | channel(0);
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    ++rowsOut_;
}
