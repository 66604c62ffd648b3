#pragma once

#include <QSize>
#include <QString>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "RowSource.h"

// Writes a JPEG file a row at a time: a baseline picture of any size takes a
// few rows of memory; a progressive one holds its coefficients.
class JpegFileWriter {
public:
    // The samples given: JCS_RGB (stored as YCbCr), JCS_GRAYSCALE or JCS_CMYK
    // (stored inverted, with Adobe's marker, as Adobe's programs do).
    J_COLOR_SPACE Input = JCS_RGB;
    int Quality = 90;
    bool Progressive = false;
    // Chroma at full resolution (4:4:4) instead of halved both ways (4:2:0).
    bool FullChroma = false;
    int RestartRows = 0;
    // Huffman tables made for the picture, which leave out the codes it
    // doesn't use, instead of the standard ones.
    bool OptimizedTables = false;

    bool Write(const QString& path, QSize size, const RowSource& rows) const;
};
