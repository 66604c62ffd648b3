#pragma once

#include <QByteArrayView>
#include <QImage>
#include <atomic>
#include <cstdint>
#include <vector>

// Decodes a PNG written in independently inflatable segments (see
// PngSegmentIndex), such as the built-in chart, on several threads straight
// into the picture's final buffer. It takes only 8-bit RGBA files that are
// entirely consistent: any other file, or any fault (a checksum, a segment
// that doesn't inflate to exactly its rows, a filter needing a row of another
// segment), gives a null picture and leaves the file to the general decoder,
// which then does whatever it does with it. What it does give is byte for
// byte what Qt's reader gives, in Format_ARGB32_Premultiplied.
class SegmentedPngDecoder {
public:
    // The bytes must outlive the decoder.
    explicit SegmentedPngDecoder(QByteArrayView file);

    // Whether the file's layout is one this decoder takes; reads only the
    // chunk headers and the small chunks.
    bool IsSegmented() const { return !segments_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Decodes on up to `threads` threads, the calling one included. Null when
    // the file isn't one this decoder takes, on any fault, when memory runs
    // out, and when `cancel` is set meanwhile. `opaque`, when given, tells
    // whether every pixel came out fully opaque: found on the way, it spares
    // a pass over the whole picture later.
    QImage Decode(int threads, const std::atomic<bool>& cancel, bool* opaque = nullptr) const;

private:
    struct Segment {
        const std::uint8_t* deflate = nullptr;  // raw deflate data, no zlib header or checksum
        std::size_t size = 0;
        const std::uint8_t* chunk = nullptr;  // the IDAT's type and data, which its CRC covers
        std::size_t chunkSize = 0;
        std::uint32_t crc = 0;
        int firstRow = 0;
        int rows = 0;
        bool last = false;
    };
    class Worker;

    bool Plan(QByteArrayView file);

    int width_ = 0;
    int height_ = 0;
    std::vector<Segment> segments_;
    std::uint32_t adler_ = 0;
};
