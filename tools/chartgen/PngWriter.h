#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>

#include "PngRowFilter.h"

// Writes 8-bit RGBA PNG files with sRGB and gamma chunks. The container is assembled here rather
// than by a general image library so that the layout of the compressed data stays under our
// control: the rows go out in segments that can be inflated independently, listed in a private
// index chunk (see PngSegmentIndex).
class PngWriter {
public:
    struct Options {
        // Photographic rows are mostly grain, which no level compresses much. Level 4 is the
        // last step that shrinks the file for nearly free; 5 and 6 save another 3 to 6 percent
        // but take 1.5 to 3 times as long.
        int level = 4;
        // Rows per independently inflatable segment; 0 writes one segment and no index.
        int segmentRows = 0;
        PngRowFilter::Choice filters = PngRowFilter::Choice::All;
    };

    PngWriter() = default;
    explicit PngWriter(Options options) : options_(options) {}

    // Converts to RGBA8888 first if needed.
    bool write(const QString& path, const QImage& image);
    // `rows` holds `height` pointers to `width` * 4 bytes of R, G, B, A each.
    bool write(const QString& path, int width, int height,
               std::span<const std::uint8_t* const> rows);

    const QString& errorString() const { return error_; }

private:
    bool fail(const QString& message);

    Options options_;
    QString error_;
};
