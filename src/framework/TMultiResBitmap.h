#pragma once

#include <memory>
#include <vector>

#include "TBitmapItem.h"

// A control's picture store: entries of one picture at several display scales.
class TMultiResBitmap {
public:
    int Count() const { return int(items_.size()); }
    TBitmapItem& Item(int index) { return *items_.at(size_t(index)); }
    TBitmapItem& Add(float scale);
    // The entry to show at a display scale: the stored entry that holds
    // pixels and is nearest in scale, or else a new empty entry of that scale.
    TBitmapItem& ItemForScale(float scale);

private:
    std::vector<std::unique_ptr<TBitmapItem>> items_;
};
