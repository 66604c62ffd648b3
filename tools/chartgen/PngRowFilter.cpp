#include "PngRowFilter.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

enum FilterType : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

inline std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

std::uint64_t cost(const std::vector<std::uint8_t>& filtered) {
    std::uint64_t sum = 0;
    for (std::size_t i = 1; i < filtered.size(); ++i) {
        sum += std::uint64_t(std::abs(int(std::int8_t(filtered[i]))));
    }
    return sum;
}

}  // namespace

PngRowFilter::PngRowFilter(int rowBytes, int bytesPerPixel, Choice choice)
    : rowBytes_(rowBytes), bytesPerPixel_(bytesPerPixel), choice_(choice) {
    for (auto& candidate : candidates_) candidate.resize(std::size_t(rowBytes) + 1);
}

std::span<const std::uint8_t> PngRowFilter::filter(const std::uint8_t* row,
                                                   const std::uint8_t* previous) {
    const int n = rowBytes_;
    const int bpp = bytesPerPixel_;

    std::uint8_t* none = candidates_[kNone].data();
    none[0] = kNone;
    std::memcpy(none + 1, row, std::size_t(n));

    std::uint8_t* sub = candidates_[kSub].data();
    sub[0] = kSub;
    for (int i = 0; i < n; ++i) sub[i + 1] = std::uint8_t(row[i] - (i >= bpp ? row[i - bpp] : 0));

    int types = 2;
    if (previous) {
        types = choice_ == Choice::All ? 5 : 3;
        std::uint8_t* up = candidates_[kUp].data();
        std::uint8_t* average = candidates_[kAverage].data();
        std::uint8_t* pa = candidates_[kPaeth].data();
        up[0] = kUp;
        average[0] = kAverage;
        pa[0] = kPaeth;
        for (int i = 0; i < n; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int above = previous[i];
            const int upperLeft = i >= bpp ? previous[i - bpp] : 0;
            up[i + 1] = std::uint8_t(row[i] - above);
            average[i + 1] = std::uint8_t(row[i] - ((left + above) >> 1));
            pa[i + 1] = std::uint8_t(row[i] - paeth(left, above, upperLeft));
        }
    }

    int best = kNone;
    std::uint64_t bestCost = std::numeric_limits<std::uint64_t>::max();
    for (int type = 0; type < types; ++type) {
        const std::uint64_t c = cost(candidates_[type]);
        if (c < bestCost) {
            bestCost = c;
            best = type;
        }
    }
    return candidates_[best];
}
