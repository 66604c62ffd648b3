#pragma once

#include <QRgb>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

#include "RowSource.h"

// Writes a TIFF file a row at a time (a tiled one a row of tiles at a time).
class TiffFileWriter {
public:
    int Photometric = 2;  // PHOTOMETRIC_RGB
    int BitsPerSample = 8;
    int SamplesPerPixel = 3;
    // The kind of the first extra sample (EXTRASAMPLE_...), or none when
    // negative; any further extra samples are unspecified.
    int ExtraSample = -1;
    int Compression = 5;  // COMPRESSION_LZW
    int RowsPerStrip = 16;
    // Tiles of this size instead of strips, when not zero.
    int TileSide = 0;
    bool SeparatePlanes = false;
    // Entries of a palette picture's colour map, 16 bits a channel.
    std::vector<QRgb> Palette;

    // One page, or several, each from its own rows.
    bool Write(const QString& path, QSize size, const RowSource& rows) const;
    bool Write(const QString& path, QSize size, const std::vector<RowSource>& pages) const;
};
