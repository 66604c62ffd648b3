#include "JpegStreamSplicer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "JpegStuffing.h"
#include "PositionalFile.h"
#include "picture/inspect/BigEndian.h"

namespace {

constexpr size_t kInput = size_t(256) << 10;

inline uint32_t Mask(int bits) {
    return (uint32_t(1) << bits) - 1;
}

// Where the frame's height is in the markers, or 0.
size_t HeightAt(const QByteArray& header) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(header.constData());
    const size_t size = size_t(header.size());
    size_t at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF) return 0;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const size_t length = size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if ((marker == 0xC0 || marker == 0xC1) && length >= 8 && at + 9 <= size) return at + 5;
        if (marker == 0xDA || length < 2) return 0;
        at += 2 + length;
    }
    return 0;
}

// A DC difference as JPEG writes it: the size its code stands for, then
// that many bits; size -1 for one too large to write.
struct Difference {
    int size = 0;
    uint32_t bits = 0;
};

Difference Written(int64_t value) {
    const auto magnitude = uint64_t(value < 0 ? -value : value);
    const int size = int(std::bit_width(magnitude));
    if (size > 15) return {-1, 0};
    return {size, uint32_t(value < 0 ? value - 1 : value) & Mask(size)};
}

// An AC coefficient put into a block of the made-up step before its end of
// block, to make the step longer.
struct Coefficient {
    int table = 0;
    uint8_t symbol = 0;  // run << 4 | size, size at least 1
    size_t block = 0;    // counted through the step
};

// Coefficients that make a step `bits` longer, modulo a byte, the fewest
// there are; none when no symbol of the AC tables can.
std::optional<std::vector<Coefficient>> Lengthening(const JpegScanLayout& layout, int bits) {
    // For each table and length modulo 8, the symbol with the shortest
    // run, which a block has most room for.
    struct Option {
        int table = -1;
        uint8_t symbol = 0;
    };
    std::array<Option, 8> options{};
    for (const JpegScanLayout::Block& block : layout.blocks) {
        const JpegHuffmanTable& ac = *layout.tables[size_t(block.ac)];
        for (int symbol = 1; symbol < 256; ++symbol) {
            const int size = symbol & 15;
            if (size == 0 || ac.CodeLength(symbol) == 0) continue;
            Option& option = options[size_t((ac.CodeLength(symbol) + size) % 8)];
            if (option.table < 0 || (symbol >> 4) < (option.symbol >> 4))
                option = {block.ac, uint8_t(symbol)};
        }
    }
    // The lengths modulo 8 as the nodes of a graph, searched breadth first.
    std::array<int, 8> from;
    std::array<Option, 8> by{};
    from.fill(-1);
    from[0] = 0;
    std::array<int, 8> queue{0};
    for (size_t head = 0, tail = 1; head < tail; ++head) {
        const int at = queue[head];
        for (int length = 1; length < 8; ++length) {
            const int next = (at + length) % 8;
            if (options[size_t(length)].table < 0 || from[size_t(next)] >= 0) continue;
            from[size_t(next)] = at;
            by[size_t(next)] = options[size_t(length)];
            queue[tail++] = next;
        }
    }
    if (from[size_t(bits)] < 0) return std::nullopt;
    std::vector<Coefficient> coefficients;
    for (int at = bits; at != 0; at = from[size_t(at)])
        coefficients.push_back({by[size_t(at)].table, by[size_t(at)].symbol});
    return coefficients;
}

// Gives each coefficient a block of the step, one with its table and room
// for its run; false when there aren't blocks enough.
bool Place(std::vector<Coefficient>& coefficients, const JpegScanLayout& layout, size_t blocks) {
    size_t placed = 0;
    for (size_t block = 0; block < blocks && placed < coefficients.size(); ++block) {
        const int table = layout.blocks[block % layout.blocks.size()].ac;
        int k = 1;
        for (size_t i = placed; i < coefficients.size(); ++i) {
            Coefficient& coefficient = coefficients[i];
            const int next = k + (coefficient.symbol >> 4) + 1;
            // Short of the last coefficient, so that an end of block follows.
            if (coefficient.table != table || next > 63) continue;
            coefficient.block = block;
            std::swap(coefficient, coefficients[placed++]);
            k = next;
        }
    }
    return placed == coefficients.size();
}

}  // namespace

JpegStreamSplicer::JpegStreamSplicer(const PositionalFile& file, const JpegScanLayout& layout,
                                     QByteArray header, int pictureRows,
                                     const JpegEntropyScanner::Place& start)
    : file_(file), layout_(layout), input_(kInput + 16) {
    const size_t height = HeightAt(header);
    const int rows = pictureRows + layout.pictureRowsPerStep;
    if (height == 0 || pictureRows < 1 || rows > 0xFFFF) return;
    header[qsizetype(height)] = char(rows >> 8);
    header[qsizetype(height) + 1] = char(rows & 0xFF);
    head_.assign(header.constBegin(), header.constEnd());
    valid_ = WriteStep(start) && JoinFile(start);
}

void JpegStreamSplicer::Put(uint32_t bits, int count) {
    pending_ = pending_ << count | (bits & Mask(count));
    pendingCount_ += count;
    while (pendingCount_ >= 8) {
        pendingCount_ -= 8;
        const uint8_t byte = uint8_t(pending_ >> pendingCount_);
        head_.push_back(byte);
        if (byte == 0xFF) head_.push_back(0);
    }
    pending_ &= Mask(pendingCount_);
}

bool JpegStreamSplicer::WriteStep(const JpegEntropyScanner::Place& start) {
    // Each component's first block has the predictor for its DC value, the
    // rest the same value again; every block ends at once, bar a few that
    // have a coefficient for the length.
    std::array<Difference, 4> first{};
    for (size_t c = 0; c < first.size(); ++c) {
        first[c] = Written(start.predictors[c]);
        if (first[c].size < 0) return false;
    }
    const size_t perUnit = layout_.blocks.size();
    const size_t blocks = size_t(layout_.unitsPerRow) * size_t(layout_.unitRowsPerStep) * perUnit;
    auto write = [&](auto&& put, const std::vector<Coefficient>& coefficients) {
        std::array<bool, 4> seen{};
        auto coefficient = coefficients.begin();
        for (size_t block = 0; block < blocks; ++block) {
            const JpegScanLayout::Block& kind = layout_.blocks[block % perUnit];
            const JpegHuffmanTable& dc = *layout_.tables[size_t(kind.dc)];
            const JpegHuffmanTable& ac = *layout_.tables[size_t(kind.ac)];
            const size_t component = size_t(kind.component);
            const Difference difference = seen[component] ? Difference{} : first[component];
            seen[component] = true;
            if (!dc.CodeLength(difference.size)) return false;
            put(dc.Code(difference.size), dc.CodeLength(difference.size));
            put(difference.bits, difference.size);
            for (; coefficient != coefficients.end() && coefficient->block == block;
                 ++coefficient) {
                const int size = coefficient->symbol & 15;
                put(ac.Code(coefficient->symbol), ac.CodeLength(coefficient->symbol));
                put(uint32_t(1) << (size - 1), size);
            }
            if (!ac.CodeLength(0)) return false;
            put(ac.Code(0), ac.CodeLength(0));
        }
        return true;
    };
    uint64_t length = 0;
    if (!write([&length](uint32_t, int count) { length += uint64_t(count); }, {})) return false;
    // As long as puts the row's first bit where it is in its byte.
    auto coefficients = Lengthening(layout_, int((uint64_t(start.bit) + 8 - length % 8) % 8));
    if (!coefficients || !Place(*coefficients, layout_, blocks)) return false;
    std::sort(coefficients->begin(), coefficients->end(),
              [](const Coefficient& a, const Coefficient& b) { return a.block < b.block; });
    return write([this](uint32_t bits, int count) { Put(bits, count); }, *coefficients) &&
           pendingCount_ == start.bit;
}

bool JpegStreamSplicer::JoinFile(const JpegEntropyScanner::Place& start) {
    in_ = start.offset;
    if (pendingCount_ == 0) return true;
    // The step's last bits and the rest of the row's first byte make one.
    uint8_t bytes[2] = {};
    if (file_.ReadAt(start.offset, bytes, 2) != 2) return false;
    Put(bytes[0], 8 - pendingCount_);
    // A stuffed 0xFF's zero goes with it.
    in_ += bytes[0] == 0xFF ? 2 : 1;
    return bytes[0] != 0xFF || bytes[1] == 0;
}

bool JpegStreamSplicer::Refill() {
    std::memmove(input_.data(), input_.data() + inputAt_, inputEnd_ - inputAt_);
    inputEnd_ -= inputAt_;
    inputAt_ = 0;
    const qint64 read =
        file_.ReadAt(in_, input_.data() + inputEnd_, qint64(input_.size() - 16 - inputEnd_));
    if (read <= 0) return false;
    inputEnd_ += size_t(read);
    in_ += read;
    return true;
}

size_t JpegStreamSplicer::Copy(uint8_t* out, size_t capacity) {
    size_t written = 0;
    while (written + 8 <= capacity) {
        if (inputEnd_ - inputAt_ < 9) Refill();
        const size_t left = inputEnd_ - inputAt_;
        if (left == 0) {
            phase_ = Phase::Done;
            break;
        }
        const uint8_t* bytes = input_.data() + inputAt_;
        if (left >= 8 && !JpegStuffing::HasFF(BigEndian::Read64(bytes))) [[likely]] {
            std::memcpy(out + written, bytes, 8);
            written += 8;
            inputAt_ += 8;
            continue;
        }
        size_t take = 1;
        if (bytes[0] == 0xFF && left >= 2) {
            if (bytes[1] == 0) {
                if (afterFill_) {
                    // Fill before a stuffed 0xFF: libjpeg reads that its own
                    // way, not always as the one 0xFF it stands for, so the
                    // new file ends here; its decoder fails, and the whole
                    // file is decoded again on one thread.
                    phase_ = Phase::Done;
                    break;
                }
                take = 2;
            } else if (bytes[1] != 0xFF) {
                // A marker ends the data; the rest follows as it is.
                phase_ = Phase::Tail;
                break;
            }
        }
        afterFill_ = bytes[0] == 0xFF && take == 1;
        std::memcpy(out + written, bytes, take);
        written += take;
        inputAt_ += take;
    }
    return written;
}

size_t JpegStreamSplicer::Next(uint8_t* out, size_t capacity) {
    if (phase_ == Phase::Head) {
        const size_t count = std::min(capacity, head_.size() - headOut_);
        std::memcpy(out, head_.data() + headOut_, count);
        headOut_ += count;
        if (headOut_ == head_.size()) phase_ = Phase::Data;
        if (count > 0) return count;
    }
    if (phase_ == Phase::Data) {
        const size_t count = Copy(out, capacity);
        if (count > 0 || phase_ == Phase::Data) return count;
    }
    if (phase_ == Phase::Tail) {
        if (inputAt_ == inputEnd_ && !Refill()) {
            phase_ = Phase::Done;
            return 0;
        }
        const size_t count = std::min(capacity, inputEnd_ - inputAt_);
        std::memcpy(out, input_.data() + inputAt_, count);
        inputAt_ += count;
        return count;
    }
    return 0;
}
