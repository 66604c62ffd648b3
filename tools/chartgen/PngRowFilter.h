#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Chooses a PNG filter for each row by the usual minimum-sum-of-absolute-differences rule.
//
// A row given without its predecessor is filtered without reference to the row above (None or
// Sub only). That is what lets a run of rows be decoded on its own, starting from a fresh row.
class PngRowFilter {
public:
    enum class Choice {
        All,    // None, Sub, Up, Average and Paeth
        Cheap,  // None, Sub and Up: each undone in a single vectorisable pass, or nearly
    };

    PngRowFilter(int rowBytes, int bytesPerPixel, Choice choice = Choice::All);

    // The filter type byte followed by the filtered row; valid until the next call.
    std::span<const std::uint8_t> filter(const std::uint8_t* row, const std::uint8_t* previous);

private:
    int rowBytes_ = 0;
    int bytesPerPixel_ = 4;
    Choice choice_ = Choice::All;
    std::array<std::vector<std::uint8_t>, 5> candidates_;
};
