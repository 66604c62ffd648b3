#include "MemoryBench.h"

#include <cstdio>
#include <string>
#include <vector>

#include "BenchMath.h"
#include "BenchTable.h"
#include "ChildProcess.h"

namespace {

// The decoded chart: 6208 x 2500 pixels of four bytes.
constexpr double kPictureMb = 6208.0 * 2500 * 4 / 1e6;
constexpr double kAllowanceMb = 10;

struct Memory {
    double rss = 0;
    double peak = 0;
};

Memory Measure(const char* kind) {
    const auto child = ChildProcess::RunSelf({"--child", kind, "--memory"});
    const auto rss = child ? ChildProcess::Value(child->Output, "rss-kb") : std::nullopt;
    const auto hwm = child ? ChildProcess::Value(child->Output, "hwm-kb") : std::nullopt;
    if (!child || child->ExitCode != 0 || !rss || !hwm) {
        std::fprintf(stderr, "the %s window did not report its memory\n", kind);
        return {};
    }
    return {*rss * 1024 / 1e6, *hwm * 1024 / 1e6};
}

}  // namespace

namespace MemoryBench {

void Run(BenchTable& table, int runs) {
    std::vector<double> chart, chartPeak, empty, above;
    for (int run = 0; run < runs; ++run) {
        std::fprintf(stderr, "memory, run %d of %d\n", run + 1, runs);
        const Memory withChart = Measure("chart");
        const Memory emptyWindow = Measure("empty");
        chart.push_back(withChart.rss);
        chartPeak.push_back(withChart.peak);
        empty.push_back(emptyWindow.rss);
        above.push_back(withChart.rss - emptyWindow.rss);
    }
    const double emptyMb = BenchMath::Median(empty), aboveMb = BenchMath::Median(above);
    const std::string runsNote = std::to_string(runs) + " runs, VmRSS 0.5 s after the first frame";
    char target[64];
    std::snprintf(target, sizeof target, "<= empty + %.1f + %.0f MB", kPictureMb, kAllowanceMb);
    table.Section("Memory");
    table.Add({"resident, Form1 with the chart shown", BenchMath::Median(chart), "MB",
               "empty window", emptyMb, target, aboveMb <= kPictureMb + kAllowanceMb, runsNote});
    table.Add({"resident above the empty window", aboveMb, "MB", "decoded chart", kPictureMb,
               target, aboveMb <= kPictureMb + kAllowanceMb,
               "one decoded copy; the compressed bytes' pages handed back"});
    table.Add({"peak resident, Form1 with the chart shown",
               BenchMath::Median(chartPeak),
               "MB",
               "empty window",
               emptyMb,
               "",
               {},
               "VmHWM: during the decode"});
}

}  // namespace MemoryBench
