#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "TBitmapItem.h"

// A control's picture store: entries of one picture at several display
// scales. Scales within 0.0001 of each other count as equal.
class TMultiResBitmap {
public:
    TMultiResBitmap() = default;
    TMultiResBitmap(const TMultiResBitmap&) = delete;
    TMultiResBitmap& operator=(const TMultiResBitmap&) = delete;

    int Count() const { return int(items_.size()); }
    TBitmapItem& Item(int index) { return *items_.at(size_t(index)); }
    TBitmapItem& Add(float scale);
    // The entry to show at a display scale: the stored entry that holds
    // pixels and is nearest in scale; nothing when none holds pixels.
    TBitmapItem* ItemToShow(float scale);
    // The entry a reader of the picture gets: the one to show, or else the
    // entry of that scale, added empty if there is none.
    TBitmapItem& ItemForScale(float scale);

    // Called after any change of an entry's picture.
    std::function<void()> OnChange;
    // Shows how far a long load into an entry's picture has come.
    std::function<void(double fraction)> OnLoadProgress;

private:
    std::vector<std::unique_ptr<TBitmapItem>> items_;
};
