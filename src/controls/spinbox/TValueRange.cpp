#include "TValueRange.h"

#include <algorithm>
#include <cmath>
#include <utility>

TValueRange::TOutcome TValueRange::RequestMin(double min) {
    if (!std::isfinite(min)) return {false, value_};
    if (loading_) {
        pendingMin_ = min;
        return {false, value_};
    }
    return Apply(min, std::nullopt, std::nullopt);
}

TValueRange::TOutcome TValueRange::RequestMax(double max) {
    if (!std::isfinite(max)) return {false, value_};
    if (loading_) {
        pendingMax_ = max;
        return {false, value_};
    }
    return Apply(std::nullopt, max, std::nullopt);
}

TValueRange::TOutcome TValueRange::RequestValue(double value) {
    if (!std::isfinite(value)) return {false, value_};
    if (loading_) {
        pendingValue_ = value;
        return {false, value_};
    }
    return Apply(std::nullopt, std::nullopt, value);
}

TValueRange::TOutcome TValueRange::EndLoading() {
    if (!loading_) return {false, value_};
    loading_ = false;
    std::optional<double> min = std::exchange(pendingMin_, std::nullopt);
    std::optional<double> max = std::exchange(pendingMax_, std::nullopt);
    std::optional<double> value = std::exchange(pendingValue_, std::nullopt);
    // A bound stored as it already was has not changed.
    if (min == min_) min.reset();
    if (max == max_) max.reset();
    if (!min && !max && !value) return {false, value_};
    return Apply(min, max, value);
}

bool TValueRange::SameNumber(double a, double b) {
    const double tolerance = std::max(1e-12, 1e-12 * std::min(std::abs(a), std::abs(b)));
    return std::abs(a - b) <= tolerance;
}

TValueRange::TOutcome TValueRange::Apply(std::optional<double> min, std::optional<double> max,
                                         std::optional<double> value) {
    const TOutcome unchanged{false, value_};
    if (value && *value == value_) value.reset();
    if (value) last_ = *value;
    if (!min && !max && !value) return unchanged;

    double newMin = min.value_or(min_);
    double newMax = max.value_or(max_);
    if (newMax < newMin) {
        // A Min set on its own comes down to Max; otherwise Max goes up to Min.
        if (min && !max)
            newMin = newMax;
        else
            newMax = newMin;
    }
    const double newValue = std::clamp(value.value_or(value_), newMin, newMax);
    if (SameNumber(newMin, min_) && SameNumber(newMax, max_) && SameNumber(newValue, value_))
        return unchanged;
    min_ = newMin;
    max_ = newMax;
    value_ = newValue;
    return {true, unchanged.previous};
}
