#include "TimerBench.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchMath.h"
#include "BenchTable.h"
#include "BenchWindow.h"
#include "Unit1.h"

namespace {

constexpr double kToleranceMs = 5;
// What a minute's run may drift in all, fitted over its steps.
constexpr double kDriftToleranceMs = 1;

// The least-squares slope of the offsets over the steps, in ms per step.
double Slope(const std::vector<double>& offsets) {
    const double n = double(offsets.size());
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const double x = double(i);
        sumX += x;
        sumY += offsets[i];
        sumXX += x * x;
        sumXY += x * offsets[i];
    }
    const double denominator = n * sumXX - sumX * sumX;
    return denominator > 0 ? (n * sumXY - sumX * sumY) / denominator : 0;
}

}  // namespace

namespace TimerBench {

void Run(BenchTable& table, BenchWindow& window, int steps) {
    std::fprintf(stderr, "timer, %d steps of a second\n", steps);
    TForm1& form = window.Form();
    std::vector<std::int64_t> ticks;
    QEventLoop loop;
    const TNotifyEvent handler = form.Timer1->OnTimer;
    form.Timer1->OnTimer = [&](TObject* sender) {
        ticks.push_back(BenchMath::NowNs());
        handler(sender);
        if (int(ticks.size()) == steps) loop.quit();
    };
    const double interval = form.Timer1->Interval();
    const std::int64_t on = BenchMath::NowNs();
    form.Switch1->SetIsChecked(true);
    QTimer::singleShot(int((steps + 2) * interval), &loop, &QEventLoop::quit);
    loop.exec();
    form.Switch1->SetIsChecked(false);
    form.Timer1->OnTimer = handler;

    std::vector<double> offsets;
    for (std::size_t i = 0; i < ticks.size(); ++i)
        offsets.push_back(double(ticks[i] - on) / 1e6 - double(i + 1) * interval);
    double worst = 0;
    for (double offset : offsets) worst = std::max(worst, std::abs(offset));
    const double spread = BenchMath::Max(offsets) - BenchMath::Min(offsets);
    const double drift = Slope(offsets) * double(std::max<std::size_t>(offsets.size(), 1) - 1);
    const bool all = int(ticks.size()) == steps;
    const std::string counted = std::to_string(ticks.size()) + " of " + std::to_string(steps) +
                                " steps; slot k at k x " + std::to_string(int(interval)) +
                                " ms after the switch";

    table.Section("Timer");
    table.Add({"largest distance of a step from its slot", worst, "ms", "", 0, "<= 5 ms",
               all && worst <= kToleranceMs, counted});
    std::vector<double> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    char distribution[128] = "";
    if (!sorted.empty())
        std::snprintf(distribution, sizeof distribution,
                      "offsets: earliest %.2f, median %.2f, 95th percentile %.2f, latest %.2f ms",
                      sorted.front(), BenchMath::Median(sorted),
                      sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)], sorted.back());
    table.Add({"spread of the steps' offsets (latest - earliest)",
               spread,
               "ms",
               "",
               0,
               "",
               {},
               distribution});
    table.Add({"drift over the run (fitted slope x steps)", drift, "ms", "", 0, "within 1 ms",
               all && std::abs(drift) <= kDriftToleranceMs,
               "no drift: each slot counts from the switch"});
}

}  // namespace TimerBench
