#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>

// Writes 8-bit RGBA PNG files with sRGB and gamma chunks. The container is assembled here rather
// than by a general image library so that the layout of the compressed data stays under our
// control.
class PngWriter {
public:
    // Photographic rows are mostly grain, which no level compresses much. Level 4 is the last
    // step that shrinks the file for nearly free; 5 and 6 save another 3 to 6 percent but take
    // 1.5 to 3 times as long.
    static constexpr int kDefaultLevel = 4;

    explicit PngWriter(int compressionLevel = kDefaultLevel) : level_(compressionLevel) {}

    // Converts to RGBA8888 first if needed.
    bool write(const QString& path, const QImage& image);
    // `rows` holds `height` pointers to `width` * 4 bytes of R, G, B, A each.
    bool write(const QString& path, int width, int height,
               std::span<const std::uint8_t* const> rows);

    const QString& errorString() const { return error_; }

private:
    bool fail(const QString& message);

    int level_ = kDefaultLevel;
    QString error_;
};
