#include "TAligner.h"

#include <algorithm>

#include "TControl.h"

namespace {

std::vector<TControl*> Aligned(const std::vector<TControl*>& controls, TAlignLayout align) {
    std::vector<TControl*> result;
    for (TControl* control : controls)
        if (control->Visible() && control->Align() == align) result.push_back(control);
    return result;
}

// Ties keep the stored order, so the first layout settles the order for good.
template <class Key>
void SortBy(std::vector<TControl*>& controls, Key key) {
    std::stable_sort(controls.begin(), controls.end(),
                     [&](TControl* a, TControl* b) { return key(a) < key(b); });
}

void Place(TControl* control, double x, double y, double width, double height) {
    control->Position.SetPoint(float(x), float(y));
    control->SetSize(float(std::max(width, 0.0)), float(std::max(height, 0.0)));
}

}  // namespace

void TAligner::Arrange(QRectF area, const std::vector<TControl*>& controls) {
    double left = area.left(), top = area.top(), right = area.right(), bottom = area.bottom();

    auto tops = Aligned(controls, TAlignLayout::Top);
    SortBy(tops, [](TControl* c) { return c->Position.Y(); });
    for (TControl* c : tops) {
        const double height = c->Height();
        Place(c, left, top, right - left, height);
        top += height;
    }
    auto bottoms = Aligned(controls, TAlignLayout::Bottom);
    SortBy(bottoms, [](TControl* c) { return -(c->Position.Y() + c->Height()); });
    for (TControl* c : bottoms) {
        const double height = c->Height();
        bottom -= height;
        Place(c, left, bottom, right - left, height);
    }
    auto lefts = Aligned(controls, TAlignLayout::Left);
    SortBy(lefts, [](TControl* c) { return c->Position.X(); });
    for (TControl* c : lefts) {
        const double width = c->Width();
        Place(c, left, top, width, bottom - top);
        left += width;
    }
    auto rights = Aligned(controls, TAlignLayout::Right);
    SortBy(rights, [](TControl* c) { return -(c->Position.X() + c->Width()); });
    for (TControl* c : rights) {
        const double width = c->Width();
        right -= width;
        Place(c, right, top, width, bottom - top);
    }
    for (TControl* c : Aligned(controls, TAlignLayout::Client))
        Place(c, left, top, right - left, bottom - top);
}
