#pragma once

#include <optional>

// Min, Max and the committed value of a spin box under its range rules,
// with the last requested value that steps go on from. Requests made while
// the window loads are only recorded; the rules run once when it completes.
class TValueRange {
public:
    // What a request did; `previous` is the committed value before it.
    struct TOutcome {
        bool changed = false;
        double previous = 0;
    };

    double Min() const { return min_; }
    double Max() const { return max_; }
    double Value() const { return value_; }
    double LastRequested() const { return last_; }

    TOutcome RequestMin(double min);
    TOutcome RequestMax(double max);
    // A request equal to the committed value is ignored; any other one is
    // remembered as the last request before it is clamped.
    TOutcome RequestValue(double value);
    // Steps remember where they meant to go even when nothing moved.
    void SetLastRequested(double value) { last_ = value; }

    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    TOutcome EndLoading();

    // Two numbers count as equal within a relative tolerance of 1e-12.
    static bool SameNumber(double a, double b);

private:
    TOutcome Apply(std::optional<double> min, std::optional<double> max,
                   std::optional<double> value);

    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
    double last_ = 0;
    bool loading_ = false;
    std::optional<double> pendingMin_;
    std::optional<double> pendingMax_;
    std::optional<double> pendingValue_;
};
