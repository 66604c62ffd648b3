#pragma once

#include <cstdint>
#include <vector>

// A tileable brightness pattern of paper: fibres, fine tooth and faint mottling. Multipliers are
// close to 1; the tile is big enough that its repeat is lost among the chart's line work.
class PaperTexture {
public:
    static constexpr int kSize = 1024;

    explicit PaperTexture(std::uint64_t seed);

    float at(int x, int y) const {
        return values_[std::size_t(y & (kSize - 1)) * kSize + std::size_t(x & (kSize - 1))];
    }

private:
    std::vector<float> values_;
};
