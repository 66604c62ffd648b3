#include "JpegScanLayout.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

bool JpegScanLayout::Read(const jpeg_decompress_struct& info, JpegScanLayout& layout) {
    if (info.progressive_mode || info.arith_code || info.data_precision != 8 ||
        info.restart_interval != 0 || info.comps_in_scan != info.num_components ||
        info.comps_in_scan < 1 || info.comps_in_scan > 4)
        return false;
    int maxH = 1, maxV = 1;
    for (int c = 0; c < info.num_components; ++c) {
        maxH = std::max(maxH, info.comp_info[c].h_samp_factor);
        maxV = std::max(maxV, info.comp_info[c].v_samp_factor);
    }
    layout = {};
    layout.components = info.comps_in_scan;
    int tableIndex[2][4] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}};
    auto table = [&](bool dc, int number) -> int {
        if (number < 0 || number > 3) return -1;
        int& index = tableIndex[dc ? 0 : 1][number];
        if (index >= 0) return index;
        const JHUFF_TBL* source =
            dc ? info.dc_huff_tbl_ptrs[number] : info.ac_huff_tbl_ptrs[number];
        if (!source) return -1;
        auto built = std::make_unique<JpegHuffmanTable>();
        if (!built->Build(source->bits, source->huffval, dc)) return -1;
        layout.tables.push_back(std::move(built));
        return index = int(layout.tables.size()) - 1;
    };
    const jpeg_component_info* const* scan = info.cur_comp_info;
    if (info.comps_in_scan == 1) {
        const jpeg_component_info& c = *scan[0];
        const int dc = table(true, c.dc_tbl_no), ac = table(false, c.ac_tbl_no);
        if (dc < 0 || ac < 0) return false;
        layout.blocks.push_back({0, dc, ac});
        layout.unitsPerRow =
            int((qint64(info.image_width) * c.h_samp_factor + 8 * maxH - 1) / (8 * maxH));
        layout.unitRows =
            int((qint64(info.image_height) * c.v_samp_factor + 8 * maxV - 1) / (8 * maxV));
        layout.unitRowsPerStep = c.v_samp_factor;
    } else {
        for (int s = 0; s < info.comps_in_scan; ++s) {
            const jpeg_component_info& c = *scan[s];
            const int dc = table(true, c.dc_tbl_no), ac = table(false, c.ac_tbl_no);
            if (dc < 0 || ac < 0) return false;
            for (int i = 0; i < c.h_samp_factor * c.v_samp_factor; ++i)
                layout.blocks.push_back({s, dc, ac});
        }
        layout.unitsPerRow = int((qint64(info.image_width) + 8 * maxH - 1) / (8 * maxH));
        layout.unitRows = int((qint64(info.image_height) + 8 * maxV - 1) / (8 * maxV));
        layout.unitRowsPerStep = 1;
    }
    if (layout.blocks.size() > 10) return false;
    layout.pictureRowsPerStep = 8 * maxV;
    return true;
}
