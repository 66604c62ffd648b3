#include "PipelinedPngDecoder.h"

#include <libdeflate.h>
#include <QIODevice>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "DeviceInput.h"
#include "RowRing.h"
#include "StreamInflater.h"
#include "picture/inspect/BigEndian.h"
#include "picture/inspect/PictureSize.h"
#include "picture/memory/PageWarmer.h"
#include "picture/rows/PngRowExpander.h"
#include "picture/rows/PngRows.h"
#include "picture/rows/RowShrinker.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kPalette = 3;
// The file is read in pieces of this size.
constexpr std::size_t kReadSize = 256 * 1024;
// The ring holds about this much, in whole rows.
constexpr std::size_t kRingBytes = 8 << 20;
constexpr int kFewestSlots = 4, kMostSlots = 256;

// How a part of the decode ended.
enum class Verdict { Decoded, Failed, Declined };

struct Chunk {
    std::uint32_t length = 0;
    char type[4] = {};
    bool Is(const char (&name)[5]) const { return std::memcmp(type, name, 4) == 0; }
    bool Critical() const { return !(type[0] & 0x20); }
};

// Reads exactly `size` bytes; false when the file ends first.
bool ReadExactly(QIODevice& device, void* data, std::size_t size) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        const qint64 read = DeviceInput::Read(device, at, qint64(size));
        if (read <= 0) return false;
        at += read;
        size -= std::size_t(read);
    }
    return true;
}

// A chunk's length and type; Failed when the file ends, Declined when the
// length is one libpng refuses on its own terms.
Verdict ReadChunkHead(QIODevice& device, Chunk& chunk, std::uint32_t& crc) {
    std::uint8_t head[8];
    if (!ReadExactly(device, head, sizeof head)) return Verdict::Failed;
    chunk.length = BigEndian::Read32(head);
    std::memcpy(chunk.type, head + 4, 4);
    crc = libdeflate_crc32(0, head + 4, 4);
    return chunk.length > 0x7FFFFFFFu ? Verdict::Declined : Verdict::Decoded;
}

// A chunk's data, small, and whether its checksum holds.
Verdict ReadSmallChunk(QIODevice& device, const Chunk& chunk, std::uint32_t crc,
                       std::vector<std::uint8_t>& data, bool& crcHolds) {
    if (chunk.length > 4096) return Verdict::Declined;
    data.resize(chunk.length + 4);
    if (!ReadExactly(device, data.data(), data.size())) return Verdict::Failed;
    crcHolds = libdeflate_crc32(crc, data.data(), chunk.length) ==
               BigEndian::Read32(data.data() + chunk.length);
    data.resize(chunk.length);
    return Verdict::Decoded;
}

bool ValidDepth(int colour, int depth) {
    switch (colour) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case kPalette:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

// The chunks up to the first IDAT, whose head is read too. Declined for
// anything the single-threaded decoder should judge.
Verdict ReadHeader(QIODevice& device, PngRowExpander::Layout& layout, QSize& size, Chunk& firstIdat,
                   std::uint32_t& idatCrc) {
    std::uint8_t signature[8];
    if (!ReadExactly(device, signature, sizeof signature)) return Verdict::Failed;
    if (std::memcmp(signature, kSignature, sizeof kSignature) != 0) return Verdict::Declined;
    std::vector<std::uint8_t> data;
    bool seenHeader = false, seenPalette = false, seenTransparency = false;
    int paletteSize = 0;
    for (;;) {
        Chunk chunk;
        std::uint32_t crc = 0;
        if (const Verdict v = ReadChunkHead(device, chunk, crc); v != Verdict::Decoded) return v;
        if (!seenHeader && !chunk.Is("IHDR")) return Verdict::Declined;
        if (chunk.Is("IDAT")) {
            if (layout.colour == kPalette && !seenPalette) return Verdict::Declined;
            firstIdat = chunk;
            idatCrc = crc;
            return Verdict::Decoded;
        }
        if (chunk.Is("IHDR") || chunk.Is("PLTE") || chunk.Is("tRNS")) {
            bool crcHolds = false;
            if (const Verdict v = ReadSmallChunk(device, chunk, crc, data, crcHolds);
                v != Verdict::Decoded)
                return v;
            if (!crcHolds) return Verdict::Declined;
        } else if (chunk.Critical()) {
            return Verdict::Declined;  // IEND before the pixels, or one unknown
        } else {
            // Nothing else changes the pixels asked for.
            if (!DeviceInput::Skip(device, qint64(chunk.length) + 4)) return Verdict::Failed;
            continue;
        }

        if (chunk.Is("IHDR")) {
            if (seenHeader || data.size() != 13) return Verdict::Declined;
            seenHeader = true;
            const std::uint32_t width = BigEndian::Read32(data.data()),
                                height = BigEndian::Read32(data.data() + 4);
            layout.depth = data[8];
            layout.colour = data[9];
            // Deflate, the standard filters, not interlaced.
            if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu ||
                !ValidDepth(layout.colour, layout.depth) || data[10] != 0 || data[11] != 0 ||
                data[12] != 0)
                return Verdict::Declined;
            size = QSize(int(width), int(height));
            if (!PictureSize::AdmissibleStreamed(size)) return Verdict::Declined;
            layout.width = size.width();
        } else if (chunk.Is("PLTE")) {
            // A suggested palette of a truecolour picture changes nothing.
            if (seenPalette || seenTransparency || data.empty() || data.size() % 3 != 0 ||
                data.size() > 3 * 256 || !(layout.colour & 2))
                return Verdict::Declined;
            seenPalette = true;
            if (layout.colour != kPalette) continue;
            paletteSize = int(data.size() / 3);
            if (paletteSize > 1 << layout.depth) return Verdict::Declined;
            layout.palette.fill(qRgb(0, 0, 0));
            for (int i = 0; i < paletteSize; ++i)
                layout.palette[std::size_t(i)] =
                    qRgb(data[std::size_t(3 * i)], data[std::size_t(3 * i + 1)],
                         data[std::size_t(3 * i + 2)]);
        } else {
            if (seenTransparency) return Verdict::Declined;
            seenTransparency = true;
            const int most = (1 << layout.depth) - 1;
            if (layout.colour == kPalette) {
                if (!seenPalette || data.empty() || int(data.size()) > paletteSize)
                    return Verdict::Declined;
                for (std::size_t i = 0; i < data.size(); ++i) {
                    const QRgb c = layout.palette[i];
                    layout.palette[i] = qRgba(qRed(c), qGreen(c), qBlue(c), data[i]);
                }
                layout.paletteAlpha = true;
            } else if (layout.colour == 0 || layout.colour == 2) {
                const std::size_t samples = layout.colour == 0 ? 1 : 3;
                if (data.size() != 2 * samples) return Verdict::Declined;
                for (std::size_t i = 0; i < samples; ++i) {
                    layout.transparent[i] = BigEndian::Read16(data.data() + 2 * i);
                    if (layout.transparent[i] > most) return Verdict::Declined;
                }
                layout.transparentColour = true;
            } else {
                return Verdict::Declined;  // alpha already: libpng drops it with a warning
            }
        }
    }
}

// The worker's half: the IDAT chunks' data, checked, inflated row by row
// into the ring, then the chunks after them through IEND.
class Inflation {
public:
    Inflation(QIODevice& device, ReadProgress& progress, Chunk firstIdat, std::uint32_t crc,
              std::uint64_t rows)
        : device_(device), progress_(progress), chunk_(firstIdat), crc_(crc), rows_(rows) {}

    Verdict Run(RowRing& ring) {
        if (!inflater_.IsReady() || buffer_.empty()) return Verdict::Declined;
        left_ = chunk_.length;
        std::uint64_t row = 0;
        std::uint8_t* out = nullptr;
        std::size_t room = 0;
        StreamInflater::Result result = StreamInflater::Result::Going;
        while (row < rows_) {
            if (!out) {
                out = ring.Claim();
                if (!out) return Verdict::Failed;  // the taker has stopped
                room = ring.RowBytes();
            }
            const std::size_t roomBefore = room;
            result = inflater_.Inflate(in_, inSize_, out, room);
            if (result == StreamInflater::Result::Refused) return Verdict::Declined;
            if (room == 0) {
                ring.Publish();
                out = nullptr;
                ++row;
            } else if (result == StreamInflater::Result::Ended) {
                return Verdict::Failed;  // not enough image data
            } else if (inSize_ == 0 && room == roomBefore) {
                // Only once the inflater has given all it held back.
                if (const Verdict v = Fill(); v != Verdict::Decoded) return v;
            }
        }
        // Through the stream's end: nothing more may come out of it.
        std::uint8_t extra[64];
        while (result != StreamInflater::Result::Ended) {
            std::uint8_t* at = extra;
            std::size_t space = sizeof extra;
            result = inflater_.Inflate(in_, inSize_, at, space);
            if (result == StreamInflater::Result::Refused || space != sizeof extra)
                return Verdict::Declined;
            if (result == StreamInflater::Result::Going && inSize_ == 0) {
                if (const Verdict v = Fill(); v != Verdict::Decoded) return v;
            }
        }
        return Finish();
    }

private:
    // More of the IDAT data into the buffer, from this chunk or the next.
    // Failed when the file ends or a chunk is damaged; Declined when the
    // data has run out with the stream still going.
    Verdict Fill() {
        while (left_ == 0) {
            if (const Verdict v = CheckCrc(); v != Verdict::Decoded) return v;
            std::uint32_t crc = 0;
            if (const Verdict v = ReadChunkHead(device_, chunk_, crc); v != Verdict::Decoded)
                return v;
            if (!chunk_.Is("IDAT")) return Verdict::Failed;  // not enough image data
            crc_ = crc;
            left_ = chunk_.length;
        }
        const std::size_t size = std::min<std::size_t>(left_, buffer_.size());
        if (!ReadExactly(device_, buffer_.data(), size)) return Verdict::Failed;
        progress_.Note(DeviceInput::Position(device_));
        crc_ = libdeflate_crc32(crc_, buffer_.data(), size);
        left_ -= std::uint32_t(size);
        in_ = buffer_.data();
        inSize_ = size;
        return Verdict::Decoded;
    }

    Verdict CheckCrc() {
        std::uint8_t stored[4];
        if (!ReadExactly(device_, stored, sizeof stored)) return Verdict::Failed;
        return BigEndian::Read32(stored) == crc_ ? Verdict::Decoded : Verdict::Failed;
    }

    // The rest of the last IDAT, then the chunks after the pixels through
    // IEND: a file cut short after its last row is as damaged as one cut
    // inside it.
    Verdict Finish() {
        if (inSize_ != 0 || left_ != 0) return Verdict::Declined;
        if (const Verdict v = CheckCrc(); v != Verdict::Decoded) return v;
        for (;;) {
            std::uint32_t crc = 0;
            if (const Verdict v = ReadChunkHead(device_, chunk_, crc); v != Verdict::Decoded)
                return v;
            if (chunk_.Is("IEND")) {
                if (chunk_.length != 0) return Verdict::Declined;
                crc_ = crc;
                const Verdict v = CheckCrc();
                progress_.Note(DeviceInput::Position(device_));
                return v == Verdict::Decoded ? v : Verdict::Declined;
            }
            if (chunk_.Critical()) return Verdict::Declined;
            if (!DeviceInput::Skip(device_, qint64(chunk_.length) + 4)) return Verdict::Failed;
        }
    }

    QIODevice& device_;
    ReadProgress& progress_;
    Chunk chunk_;
    std::uint32_t crc_ = 0;
    std::uint32_t left_ = 0;  // of the current chunk's data, unread
    std::uint64_t rows_ = 0;
    StreamInflater inflater_;
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(kReadSize);
    const std::uint8_t* in_ = nullptr;
    std::size_t inSize_ = 0;
};

}  // namespace

StreamOutcome PipelinedPngDecoder::Decode() {
    PngRowExpander::Layout layout;
    QSize size;
    Chunk firstIdat;
    std::uint32_t idatCrc = 0;
    switch (ReadHeader(device_, layout, size, firstIdat, idatCrc)) {
        case Verdict::Failed:
            return StreamOutcome::Fail();
        case Verdict::Declined:
            return StreamOutcome::Decline();
        case Verdict::Decoded:
            break;
    }
    PngRowExpander expander(layout);
    RowShrinker shrinker(size, PictureSize::Shrunk(size), expander.Alpha());
    if (!shrinker.IsValid()) return StreamOutcome::Fail();
    // A row: its filter type, then its bytes.
    const std::size_t rowBytes = 1 + expander.RowBytes();
    const int slotCount =
        int(std::clamp<std::size_t>(kRingBytes / rowBytes, kFewestSlots, kMostSlots));
    // What the worker uses outlives the ring, whose end waits for it.
    ReadProgress progress(device_, progress_);
    Inflation inflation(device_, progress, firstIdat, idatCrc, std::uint64_t(size.height()));
    PageWarmer warmer(shrinker.Pixels(), shrinker.PixelBytes());
    Verdict made = Verdict::Failed;
    RowRing ring(rowBytes, slotCount);
    if (!ring.IsValid()) return StreamOutcome::Decline();
    ring.ShareIdleWork([&warmer] { return warmer.WarmNext(); });
    if (!ring.Start([&inflation, &made](RowRing& r) {
            made = inflation.Run(r);
            return made == Verdict::Decoded;
        }))
        return StreamOutcome::Decline();

    // The inflate can't be shared, so the worker does only that; the rows'
    // own work is done here, unfiltering first, against the row above,
    // which is held in the ring until the row below it is done.
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::uint8_t* above = zeros.data();
    bool filtered = true;
    while (!shrinker.IsComplete()) {
        std::uint8_t* row = ring.Take();
        if (!row) break;
        filtered =
            PngRows::Unfilter(row[0], row + 1, above + 1, rowBytes - 1, expander.FilterBytes());
        if (!filtered) break;
        expander.Expand(row + 1, shrinker.Row());
        shrinker.Commit();
        if (above != zeros.data()) ring.GiveBack();
        above = row;
        progress.Tell();
    }
    if (!filtered) {
        ring.Stop();
        progress.Tell();
        return StreamOutcome::Fail();
    }
    // The worker goes on through IEND; its verdict is the file's.
    while (ring.Take()) ring.GiveBack();
    ring.Succeeded();
    progress.Tell();
    switch (made) {
        case Verdict::Decoded:
            return shrinker.IsComplete() ? StreamOutcome::Done(shrinker.Take())
                                         : StreamOutcome::Fail();
        case Verdict::Declined:
            return StreamOutcome::Decline();
        case Verdict::Failed:
            break;
    }
    return StreamOutcome::Fail();
}
