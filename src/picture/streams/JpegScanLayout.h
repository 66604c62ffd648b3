#pragma once

#include <array>
#include <memory>
#include <vector>

#include "JpegHuffmanTable.h"

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
    // DC tables first, then AC.
    std::vector<std::unique_ptr<JpegHuffmanTable>> tables;
};
