#include "JpegEntropyScanner.h"

#include <cstring>

#include "JpegStuffing.h"
#include "PositionalFile.h"
#include "picture/inspect/BigEndian.h"

namespace {

constexpr size_t kChunk = size_t(1) << 20;
// Bytes kept before the next one to load, when the buffer is refilled: the
// bits held in the register came from at most 16 of them.
constexpr size_t kHistory = 32;

}  // namespace

JpegEntropyScanner::JpegEntropyScanner(const PositionalFile& file, const JpegScanLayout& layout,
                                       qint64 dataStart)
    : file_(file),
      layout_(layout),
      buffer_(kHistory + kChunk),
      base_(dataStart - qint64(kHistory)),
      next_(kHistory),
      end_(kHistory) {}

bool JpegEntropyScanner::LoadSlow() {
    if (stopped_) return false;
    if (end_ - next_ < 2) {
        // Keeps the history and what is left, and reads on after them.
        const size_t keep = std::min(next_, kHistory);
        const size_t from = next_ - keep;
        std::memmove(buffer_.data(), buffer_.data() + from, end_ - from);
        base_ += qint64(from);
        next_ -= from;
        end_ -= from;
        const qint64 read = file_.ReadAt(base_ + qint64(end_), buffer_.data() + end_,
                                         qint64(buffer_.size() - end_));
        if (read > 0) end_ += size_t(read);
        if (end_ == next_) return stopped_ = true, false;
    }
    const uint8_t byte = buffer_[next_];
    if (byte == 0xFF) {
        // A stuffed 0xFF goes on; a marker, or a file that ends in between,
        // ends the data.
        if (end_ - next_ < 2 || buffer_[next_ + 1] != 0) return stopped_ = true, false;
        next_ += 2;
    } else {
        next_ += 1;
    }
    bits_ |= uint64_t(byte) << (56 - count_);
    count_ += 8;
    return true;
}

bool JpegEntropyScanner::Fill() {
    // Never all 64 bits: Top shifts a word by the count.
    while (count_ <= 55) {
        if (end_ - next_ >= 8) {
            const uint64_t word = BigEndian::Read64(buffer_.data() + next_);
            if (!JpegStuffing::HasFF(word)) {
                const int bytes = (63 - count_) >> 3;
                bits_ |= (word & (~uint64_t(0) << (64 - 8 * bytes))) >> count_;
                next_ += size_t(bytes);
                count_ += 8 * bytes;
                continue;
            }
        }
        if (!LoadSlow()) break;
    }
    return !stopped_;
}

JpegEntropyScanner::Place JpegEntropyScanner::Here(int unitRow) const {
    // The register's bits came from the last bytes loaded, a stuffed 0xFF
    // being two bytes of the file: step back over as many as hold a bit not
    // yet read.
    size_t at = next_;
    for (int i = 0; i < (count_ + 7) / 8; ++i)
        at -= at >= 2 && buffer_[at - 1] == 0 && buffer_[at - 2] == 0xFF ? 2 : 1;
    Place place;
    place.offset = base_ + qint64(at);
    place.bit = (8 - count_ % 8) % 8;
    place.unitRow = unitRow;
    return place;
}

bool JpegEntropyScanner::Find(qint64 offset, Place& before, Place& at,
                              const std::atomic<bool>& stop) {
    const int step = layout_.unitRowsPerStep;
    const JpegScanLayout::Block* blocks = layout_.blocks.data();
    const size_t blockCount = layout_.blocks.size();
    std::array<const JpegHuffmanTable*, 8> tables{};
    for (size_t i = 0; i < layout_.tables.size() && i < tables.size(); ++i)
        tables[i] = layout_.tables[i].get();
    // Wide enough that no file sums past them; libjpeg refuses those that
    // pass its own int.
    std::array<int64_t, 4> predictors{};
    // The register lives in locals here, where every symbol reads and
    // writes it; the members hold it across the slow paths.
    uint64_t bits = bits_;
    int count = count_;
    const uint8_t* data = buffer_.data();
    auto top = [&]() -> bool {
        // Eight bytes without a stuffed one, the common case, are loaded
        // without a branch on how many bits are left; bits past those
        // counted are the next byte's, which the next load puts in the same
        // place.
        if (end_ - next_ >= 8) [[likely]] {
            const uint64_t word = BigEndian::Read64(data + next_);
            if (!JpegStuffing::HasFF(word)) [[likely]] {
                bits |= word >> count;
                const int bytes = (63 - count) >> 3;
                next_ += size_t(bytes);
                count += 8 * bytes;
                return true;
            }
        }
        bits_ = bits;
        count_ = count;
        const bool filled = Fill();
        bits = bits_;
        count = count_;
        data = buffer_.data();
        return filled;
    };
    Place previous;
    for (int row = 0; row + step < layout_.unitRows; ++row) {
        if (row % step == 0) {
            if (stop.load(std::memory_order_relaxed)) return false;
            bits_ = bits;
            count_ = count;
            if (!Fill()) return false;
            bits = bits_;
            count = count_;
            data = buffer_.data();
            Place place = Here(row);
            place.predictors = predictors;
            if (row > 0 && place.offset >= offset) {
                before = previous;
                at = place;
                return true;
            }
            previous = place;
        }
        for (int unit = 0; unit < layout_.unitsPerRow; ++unit) {
            for (size_t b = 0; b < blockCount; ++b) {
                const JpegScanLayout::Block& block = blocks[b];
                if (!top()) return false;
                const JpegHuffmanTable& dc = *tables[size_t(block.dc)];
                int length = 0, size = 0;
                if (const JpegHuffmanTable::Symbol& entry = dc.Look(bits); entry.length) {
                    length = entry.length;
                    size = entry.symbol;
                } else {
                    size = dc.Decode(bits, length);
                    if (!length) return false;
                }
                bits <<= length;
                count -= length;
                {
                    // Without a branch: a difference's sign is as likely as
                    // not. A size of 0 reads no bits and adds nothing.
                    const auto value = int64_t((bits >> 1) >> (63 - size));
                    const int64_t half = (int64_t(1) << size) >> 1;
                    predictors[size_t(block.component)] +=
                        value + (((value - half) >> 63) & ((int64_t(-1) << size) + 1));
                    bits <<= size;
                    count -= size;
                }
                const JpegHuffmanTable& ac = *tables[size_t(block.ac)];
                // After a refill at least 56 bits: four lookups of at most
                // kLookahead bits each, or one symbol of at most 31 the slow
                // way, before the next.
                static_assert(4 * JpegHuffmanTable::kLookahead <= 56 - 11);
                for (int k = 1, lookups = 0;; ++lookups) {
                    if ((lookups & 3) == 0 && !top()) return false;
                    const JpegHuffmanTable::Skip& skip = ac.LookSkip(bits);
                    int used = skip.total, advance = skip.advance;
                    if (k + skip.reach > 64) [[unlikely]] {
                        // The symbols would run past the block's end, or not
                        // even the first fits: one symbol alone.
                        if ((lookups & 3) != 0 && !top()) return false;
                        lookups = 3;
                        const JpegHuffmanTable::Symbol& code = ac.Look(bits);
                        length = code.length;
                        int symbol = code.symbol;
                        if (!length) {
                            symbol = ac.Decode(bits, length);
                            if (!length) return false;
                        }
                        const int magnitude = symbol & 15, run = symbol >> 4;
                        used = length + magnitude;
                        advance = magnitude ? run + 1 : run == 15 ? 16 : JpegHuffmanTable::kEnd;
                    }
                    bits <<= used;
                    count -= used;
                    k += advance;
                    if (k >= 64) break;
                }
            }
        }
    }
    return false;
}
