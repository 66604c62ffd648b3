#include "JpegStreamSplicer.h"

#include <cstring>

#include "JpegStuffing.h"
#include "PositionalFile.h"
#include "picture/inspect/BigEndian.h"

namespace {

constexpr size_t kInput = size_t(256) << 10;
// A unit of ten blocks of 64 symbols of at most 31 bits each, and more.
constexpr qint64 kFirstUnitBytes = 8 << 10;

inline uint32_t Mask(int bits) {
    return (uint32_t(1) << bits) - 1;
}

// The entropy-coded bits of a stretch of the file, stuffed bytes taken out.
class BitSource {
public:
    BitSource(std::vector<uint8_t> bytes, int bit) : bytes_(std::move(bytes)), bit_(bit) {}

    // The next 32 bits, left-aligned: a code and its magnitude bits; false
    // when a marker or the end comes first among them.
    bool Peek(uint64_t& bits) const {
        bits = 0;
        size_t at = at_;
        for (int have = 0; have < bit_ + 32; have += 8) {
            if (at >= bytes_.size()) return false;
            const uint8_t byte = bytes_[at];
            if (byte == 0xFF) {
                if (at + 1 >= bytes_.size() || bytes_[at + 1] != 0) return false;
                at += 2;
            } else {
                at += 1;
            }
            bits |= uint64_t(byte) << (56 - have);
        }
        bits <<= bit_;
        return true;
    }
    uint32_t Take(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (at_ >= bytes_.size()) {
                failed_ = true;
                return 0;
            }
            value = value << 1 | uint32_t(bytes_[at_] >> (7 - bit_) & 1);
            if (++bit_ == 8) {
                bit_ = 0;
                at_ += bytes_[at_] == 0xFF ? 2 : 1;
            }
        }
        return value;
    }
    bool Failed() const { return failed_; }
    bool Aligned() const { return bit_ == 0; }
    size_t Offset() const { return at_; }

private:
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
    int bit_ = 0;
    bool failed_ = false;
};

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

}  // namespace

JpegStreamSplicer::JpegStreamSplicer(const PositionalFile& file, const JpegScanLayout& layout,
                                     QByteArray header, int pictureRows,
                                     const JpegEntropyScanner::Place& start)
    : file_(file), layout_(layout), input_(kInput + 16) {
    const size_t height = HeightAt(header);
    if (height == 0 || pictureRows < 1 || pictureRows > 0xFFFF) return;
    header[qsizetype(height)] = char(pictureRows >> 8);
    header[qsizetype(height) + 1] = char(pictureRows & 0xFF);
    head_.assign(header.constBegin(), header.constEnd());
    valid_ = WriteFirstUnit(start);
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

bool JpegStreamSplicer::WriteFirstUnit(const JpegEntropyScanner::Place& start) {
    std::vector<uint8_t> bytes(static_cast<size_t>(kFirstUnitBytes));
    const qint64 read = file_.ReadAt(start.offset, bytes.data(), kFirstUnitBytes);
    if (read <= 0) return false;
    bytes.resize(size_t(read));
    BitSource source(std::move(bytes), start.bit);
    bool seen[4] = {false, false, false, false};
    // Copies one symbol as it stands; its magnitude bits in `magnitude`.
    auto copy = [&](const JpegHuffmanTable& table, int& symbol) {
        uint64_t bits = 0;
        if (!source.Peek(bits)) return false;
        int length = 0;
        symbol = table.Decode(bits, length);
        if (!length) return false;
        Put(source.Take(length), length);
        return true;
    };
    for (const JpegScanLayout::Block& block : layout_.blocks) {
        const JpegHuffmanTable& dc = *layout_.tables[size_t(block.dc)];
        uint64_t bits = 0;
        if (!source.Peek(bits)) return false;
        int length = 0;
        const int size = dc.Decode(bits, length);
        if (!length) return false;
        const uint32_t code = source.Take(length);
        const uint32_t value = source.Take(size);
        bool& first = seen[block.component];
        if (first) {
            Put(code, length);
            Put(value, size);
        } else {
            first = true;
            // The DC value itself, the difference from a predictor of zero.
            const int64_t difference = size == 0 ? 0
                                       : value < (1u << (size - 1))
                                           ? int64_t(value) - int64_t(Mask(size))
                                           : int64_t(value);
            const int64_t dcValue = start.predictors[size_t(block.component)] + difference;
            const uint64_t magnitude = uint64_t(dcValue < 0 ? -dcValue : dcValue);
            const int newSize = magnitude ? 64 - __builtin_clzll(magnitude) : 0;
            if (newSize > 15 || dc.CodeLength(newSize) == 0) return false;
            Put(dc.Code(newSize), dc.CodeLength(newSize));
            Put(uint32_t(dcValue < 0 ? dcValue - 1 : dcValue), newSize);
        }
        const JpegHuffmanTable& ac = *layout_.tables[size_t(block.ac)];
        for (int k = 1; k < 64;) {
            int symbol = 0;
            if (!copy(ac, symbol)) return false;
            const int magnitude = symbol & 15, run = symbol >> 4;
            Put(source.Take(magnitude), magnitude);
            if (magnitude)
                k += run + 1;
            else if (run == 15)
                k += 16;
            else
                break;
        }
    }
    while (!source.Aligned()) Put(source.Take(1), 1);
    if (source.Failed()) return false;
    in_ = start.offset + qint64(source.Offset());
    return true;
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

size_t JpegStreamSplicer::Shift(uint8_t* out, size_t capacity) {
    size_t written = 0;
    auto put = [&](uint8_t byte) {
        const uint32_t bits = pending_ << 8 | byte;
        const uint8_t shifted = uint8_t(bits >> pendingCount_);
        pending_ = bits & Mask(pendingCount_);
        out[written++] = shifted;
        if (shifted == 0xFF) out[written++] = 0;
    };
    // The last bits padded with ones to a whole byte, as an encoder ends
    // its data.
    auto finish = [&](Phase next) {
        if (pendingCount_ > 0) {
            const uint8_t byte = uint8_t(pending_ << (8 - pendingCount_) | Mask(8 - pendingCount_));
            out[written++] = byte;
            if (byte == 0xFF) out[written++] = 0;
            pendingCount_ = 0;
        }
        phase_ = next;
    };
    while (written + 24 <= capacity) {
        if (inputEnd_ - inputAt_ < 9) Refill();
        const size_t left = inputEnd_ - inputAt_;
        if (left == 0) {
            endedEarly_ = true;
            finish(Phase::Done);
            break;
        }
        const uint8_t* bytes = input_.data() + inputAt_;
        if (left >= 8) {
            const uint64_t word = BigEndian::Read64(bytes);
            if (!JpegStuffing::HasFF(word)) {
                // Eight bytes without a stuffed one: moved on as one word.
                const uint64_t shifted =
                    pendingCount_
                        ? uint64_t(pending_) << (64 - pendingCount_) | word >> pendingCount_
                        : word;
                pending_ = uint32_t(word) & Mask(pendingCount_);
                inputAt_ += 8;
                if (!JpegStuffing::HasFF(shifted)) {
                    BigEndian::Write64(shifted, out + written);
                    written += 8;
                } else {
                    for (int i = 56; i >= 0; i -= 8) {
                        const uint8_t byte = uint8_t(shifted >> i);
                        out[written++] = byte;
                        if (byte == 0xFF) out[written++] = 0;
                    }
                }
                continue;
            }
        }
        if (bytes[0] != 0xFF) {
            ++inputAt_;
            put(bytes[0]);
        } else if (left < 2) {
            // The file ends between a 0xFF and what it meant.
            endedEarly_ = true;
            inputAt_ = inputEnd_;
            finish(Phase::Done);
            break;
        } else if (bytes[1] == 0xFF) {
            // Fill, which a marker may have before it.
            ++inputAt_;
            afterFill_ = true;
        } else if (bytes[1] == 0) {
            if (afterFill_) {
                // Fill before a stuffed 0xFF: libjpeg reads that its own way,
                // not always as the one 0xFF it stands for, so the new file
                // ends here; its decoder fails, and the whole file is decoded
                // again on one thread.
                endedEarly_ = true;
                phase_ = Phase::Done;
                break;
            }
            inputAt_ += 2;
            put(0xFF);
        } else {
            // A marker ends the data; it and the rest of the file follow as
            // they are.
            finish(Phase::Tail);
            break;
        }
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
        const size_t count = Shift(out, capacity);
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
