#pragma once

#include <QSize>
#include <algorithm>
#include <vector>

struct PagePlan;

// How the light fell on one photographed page: lens fall-off towards the corners, a brighter
// side towards the window, a paper that does not lie quite flat, a warm lamp, and the crease
// of a fold. Gains multiply the page's colours channel by channel.
class PhotoLighting {
public:
    PhotoLighting(const PagePlan& plan, QSize pageSize);

    // Page coordinates in pixels.
    void gains(float u, float v, float out[3]) const {
        const float gx = std::max(0.0f, std::min(u * kInvStep, float(cols_ - 1) - 1e-3f));
        const float gy = std::max(0.0f, std::min(v * kInvStep, float(rows_ - 1) - 1e-3f));
        const int c = int(gx);
        const int r = int(gy);
        const float fx = gx - float(c);
        const float fy = gy - float(r);
        const float* a = &map_[(std::size_t(r) * cols_ + c) * 3];
        const float* b = a + std::size_t(cols_) * 3;
        const float crease = creaseAt(u, v);
        for (int ch = 0; ch < 3; ++ch) {
            const float top = a[ch] + (a[ch + 3] - a[ch]) * fx;
            const float bottom = b[ch] + (b[ch + 3] - b[ch]) * fx;
            out[ch] = (top + (bottom - top) * fy) * crease;
        }
    }

private:
    static constexpr int kStep = 8;
    static constexpr float kInvStep = 1.0f / kStep;
    static constexpr int kCreaseSamples = 4;  // table entries per pixel
    static constexpr int kCreaseReach = 40;   // pixels either side of the fold line

    float creaseAt(float u, float v) const {
        if (crease_.empty()) return 1.0f;
        const float d = verticalFold_ ? u - foldAt(v) : v - foldAt(u);
        const int i = int((d + float(kCreaseReach)) * float(kCreaseSamples));
        if (i < 0 || i >= int(crease_.size())) return 1.0f;
        return crease_[std::size_t(i)];
    }
    float foldAt(float along) const {
        const int i = std::max(0, std::min(int(along * kInvStep), int(foldLine_.size()) - 1));
        return foldLine_[std::size_t(i)];
    }

    int cols_ = 0;
    int rows_ = 0;
    std::vector<float> map_;
    bool verticalFold_ = false;
    std::vector<float> foldLine_;
    std::vector<float> crease_;
};
