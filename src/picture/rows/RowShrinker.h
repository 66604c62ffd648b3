#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

// Builds a picture from its rows, taken top to bottom one at a time, at the
// same size or a smaller one, so that a decoder never holds more of the
// source than a row. A smaller picture is the area average of the source:
// every destination pixel is the mean of the source area it covers, partial
// pixels at its edges weighted by the part covered, in premultiplied alpha.
// For reductions that is what smooth scaling of the whole picture gives, and
// unlike sampling a few neighbours it lets every source pixel count however
// large the reduction.
class RowShrinker {
public:
    // How the decoder's rows carry alpha.
    enum class Alpha { Opaque, Straight, Premultiplied };

    // The vector instructions the sums may use: the widest the processor
    // has, or those every x86-64 processor has (all that Windows builds
    // use), which give the same pixels.
    enum class Lanes { Widest, Baseline };

    // An invalid shrinker (IsValid false) when the target is empty, larger
    // than the source on a side, the source wider than
    // PictureSize::MaxStreamedWidth, or the picture can't be allocated.
    RowShrinker(QSize source, QSize target, Alpha alpha, Lanes lanes = Lanes::Widest);

    bool IsValid() const { return bits_ != nullptr; }
    QSize Source() const { return source_; }

    // Where the next source row goes: Source().width() pixels of QRgb,
    // 0xAARRGGBB, alpha as given to the constructor. Valid until Commit().
    QRgb* Row();
    // The row at Row() is complete.
    void Commit();
    // A row that was made elsewhere, Source().width() pixels as Row()
    // takes them; its alpha may be premultiplied in place.
    void Commit(QRgb* row);
    bool IsComplete() const { return rowsIn_ == source_.height(); }
    int RowsIn() const { return rowsIn_; }

    // A picture decoded in two parts at once. Below() makes a shrinker for
    // the lower part that writes into this one's picture, to be used on
    // another thread; StartAt tells it the part's first source row, and it
    // takes the rows from there to the bottom while this one takes the rows
    // above. Join then brings them together: the destination row the two
    // parts share is summed from both, and this one is complete. Join is
    // false, and changes nothing, when the parts don't meet.
    RowShrinker Below() const;
    void StartAt(int sourceRow);
    bool Join(RowShrinker& lower);

    // The picture's memory, for threads with time to spare to make it
    // resident ahead of the rows, which then don't pay for its first writes.
    std::uint8_t* Pixels() const { return bits_; }
    std::size_t PixelBytes() const {
        return bits_ ? std::size_t(bytesPerLine_) * std::size_t(target_.height()) : 0;
    }

    // The finished picture in Format_ARGB32_Premultiplied, once every source
    // row has been committed; a null image before.
    QImage Take();

private:
    // A destination column's share of a source row: the source pixels
    // first..last, the first and last one weighted by the part covered and
    // the ones between by a whole pixel's weight.
    struct Span {
        int first = 0;
        int last = 0;
        uint32_t firstWeight = 0;
        uint32_t lastWeight = 0;
    };

    bool Shrinking() const { return target_ != source_; }
    void Add(QRgb* row);
    void Premultiply(QRgb* row) const;
    // A source row reduced to the destination's width, into `out` or added
    // to it.
    void SumRow(const QRgb* row, int32_t* out, bool add) const;
    void SumSpans(const QRgb* row, int32_t* out, bool add, int from, int to) const;
    void SumRowInPairs(const QRgb* row, int32_t* out, bool add) const;
    void MakeWindows();
    void SpillWhole();
    // The destination row being built is complete, its last source row
    // covering it by `lastWeight` with the sums in lastEdge_.
    void Emit(uint64_t lastWeight);
    void EmitPixels(uint64_t lastWeight);
    // Sum `i` of the destination row being built, weighted.
    double Total(size_t i, uint64_t lastWeight) const;

    RowShrinker() = default;

    QSize source_;
    QSize target_;
    Alpha alpha_ = Alpha::Opaque;
    QImage image_;
    int rowsIn_ = 0;
    int rowsOut_ = 0;
    // A lower part's first source row, and whether its first destination
    // row is shared with the part above, kept in held_ until Join.
    int startRow_ = 0;
    bool holdFirst_ = false;
    std::vector<double> held_;
    std::vector<QRgb> row_;
    std::vector<Span> spans_;
    // The same spans as taps, for SumRowInPairs: a fixed, even number a
    // column, padded with taps of no weight, and the weights of two taps
    // packed in 16 bits each. None when spans are too long for it.
    int taps_ = 0;
    std::vector<int32_t> tapIndex_;
    std::vector<int32_t> tapWeights_;
    // The same spans as windows of window_ pixels from each span's first,
    // read whole and weighted in vector lanes where the processor has them;
    // the columns from windowEnd_ on, whose windows would reach past the
    // row, go span by span. No windows (0) where the spans are too long.
    int window_ = 0;
    int windowEnd_ = 0;
    std::vector<int32_t> windowFirst_;
    std::vector<int32_t> windowWeights_;
    // A source row's sums at the destination's width: four channels a pixel
    // (blue, green, red, alpha), each the exact sum of the covered pixels
    // weighted by the covered length in units of 1/target of a pixel, at
    // most 255 x the source's width, so 31 bits hold it. The rows wholly
    // inside the destination row being built are added up as they are
    // (whole_), up to mostWholeRows_ of them; its first and last rows, which
    // it shares with its neighbours, are kept apart (firstEdge_, lastEdge_),
    // to be weighted once, when the row is emitted. Adding whole rows in
    // 32-bit lanes and weighting once a destination row takes a fraction of
    // weighting every row in doubles.
    std::vector<int32_t> whole_;
    std::vector<int32_t> firstEdge_;
    std::vector<int32_t> lastEdge_;
    uint64_t firstWeight_ = 0;
    int wholeRows_ = 0;
    int mostWholeRows_ = 0;
    // Whole rows beyond mostWholeRows_, weighted, and a lower part's share
    // of the row the two parts meet in: doubles keep them exact far beyond
    // any picture here. Empty until needed.
    std::vector<double> extra_;
    bool hasExtra_ = false;
    // 1 / (the source's width x height), which the weights of every
    // destination pixel add up to.
    double scale_ = 0;
    uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
};
