#pragma once

#include <png.h>
#include <QRgb>
#include <QSize>
#include <QString>
#include <vector>

#include "RowSource.h"

// Writes a PNG file a row at a time: a picture of any size takes a row of
// memory (an interlaced one asks for each row once a pass).
class PngFileWriter {
public:
    int ColourType = PNG_COLOR_TYPE_RGB;
    int BitDepth = 8;
    bool Interlaced = false;
    int Level = 6;  // zlib's compression level
    // The palette of PNG_COLOR_TYPE_PALETTE, alpha going to tRNS when any
    // entry isn't opaque.
    std::vector<QRgb> Palette;
    // A transparent colour for grey or RGB pictures (tRNS), when set.
    bool TransparentColour = false;
    quint16 Transparent[3] = {0, 0, 0};

    bool Write(const QString& path, QSize size, const RowSource& rows) const;
};
