#pragma once

#include <array>
#include <memory>
#include <vector>

#include "JpegHuffmanTable.h"

struct jpeg_decompress_struct;

// The shape of a baseline JPEG's one scan, as its entropy-coded data is
// laid out: the blocks of a minimum coded unit in order, with the
// component and tables of each, and how many units make a row.
struct JpegScanLayout {
    struct Block {
        int component = 0;  // index of the DC predictor, in scan order
        int dc = 0;         // tables, in `tables`
        int ac = 0;
    };

    std::vector<Block> blocks;
    int components = 0;
    int unitsPerRow = 0;
    int unitRows = 0;
    // Unit rows in one row of the decoder's own stepping (its iMCU row), and
    // the picture's rows in one such step: where a picture can be cut.
    int unitRowsPerStep = 1;
    int pictureRowsPerStep = 8;
    // Each table once, in the order the scan first uses them.
    std::vector<std::unique_ptr<JpegHuffmanTable>> tables;

    // From a header libjpeg has read through the scan's start; false when
    // the file is not one scan of Huffman-coded blocks without restart
    // markers, or its tables are not whole.
    static bool Read(const jpeg_decompress_struct& info, JpegScanLayout& layout);
};
