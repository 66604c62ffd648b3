#include "TMultiResBitmap.h"

#include <cmath>

TBitmapItem& TMultiResBitmap::Add(float scale) {
    items_.push_back(std::make_unique<TBitmapItem>(scale));
    items_.back()->SetOnChange([this] {
        if (OnChange) OnChange();
    });
    items_.back()->SetOnLoadProgress([this](double fraction) {
        if (OnLoadProgress) OnLoadProgress(fraction);
    });
    return *items_.back();
}

TBitmapItem* TMultiResBitmap::ItemToShow(float scale) {
    TBitmapItem* best = nullptr;
    for (auto& item : items_) {
        if (!item->HoldsPixels()) continue;
        if (!best || std::abs(item->Scale() - scale) < std::abs(best->Scale() - scale))
            best = item.get();
    }
    return best;
}

TBitmapItem& TMultiResBitmap::ItemForScale(float scale) {
    if (TBitmapItem* shown = ItemToShow(scale)) return *shown;
    for (auto& item : items_)
        if (std::abs(item->Scale() - scale) <= 0.0001f) return *item;
    return Add(scale);
}
