#include "StartupBench.h"

#include <libdeflate.h>

#include <QBuffer>
#include <QImageReader>
#include <QResource>
#include <QtEndian>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "BenchMath.h"
#include "BenchTable.h"
#include "ChildProcess.h"
#include "picture/segmented/SegmentedPngDecoder.h"

namespace {

QByteArray ChartBytes() {
    QResource chart(QStringLiteral(":/tidemark/chart.png"));
    return QByteArray::fromRawData(reinterpret_cast<const char*>(chart.data()),
                                   qsizetype(chart.size()));
}

// The zlib stream of all IDAT chunks, joined.
std::vector<std::uint8_t> ImageData(const QByteArray& png) {
    std::vector<std::uint8_t> data;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(bytes + at);
        if (std::memcmp(bytes + at + 4, "IDAT", 4) == 0)
            data.insert(data.end(), bytes + at + 8, bytes + at + 8 + length);
        at += 12 + qsizetype(length);
    }
    return data;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds from creating the process to the end of its first frame, and
// the processor time the whole process took.
std::pair<double, double> FirstFrame(const char* kind) {
    const auto child = ChildProcess::RunSelf({"--child", kind});
    const auto end = child ? ChildProcess::Value(child->Output, "first-frame-ns") : std::nullopt;
    if (!child || child->ExitCode != 0 || !end) {
        std::fprintf(stderr, "the %s window did not report its first frame\n", kind);
        return {0, 0};
    }
    return {(*end - double(child->StartNs)) / 1e6, child->CpuMs};
}

double StockDecode(const QByteArray& png, std::vector<double>& cpu) {
    const double cpuStart = ThreadCpuMs();
    const std::int64_t start = BenchMath::NowNs();
    QByteArray bytes = png;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double ms = double(BenchMath::NowNs() - start) / 1e6;
    cpu.push_back(ThreadCpuMs() - cpuStart);
    if (image.isNull()) std::fprintf(stderr, "Qt didn't decode the chart\n");
    return ms;
}

double InflateFloor(libdeflate_decompressor* decompressor, const std::vector<std::uint8_t>& data,
                    std::vector<std::uint8_t>& out) {
    std::size_t produced = 0;
    const std::int64_t start = BenchMath::NowNs();
    const libdeflate_result result = libdeflate_zlib_decompress(
        decompressor, data.data(), data.size(), out.data(), out.size(), &produced);
    const double ms = double(BenchMath::NowNs() - start) / 1e6;
    if (result != LIBDEFLATE_SUCCESS) std::fprintf(stderr, "libdeflate failed on the chart\n");
    return ms;
}

double SegmentedDecode(const QByteArray& png, int threads) {
    const std::atomic<bool> cancel{false};
    const std::int64_t start = BenchMath::NowNs();
    const QImage image = SegmentedPngDecoder(QByteArrayView(png)).Decode(threads, cancel);
    const double ms = double(BenchMath::NowNs() - start) / 1e6;
    if (image.isNull()) std::fprintf(stderr, "the chart didn't decode in segments\n");
    return ms;
}

std::string Spread(const std::vector<double>& values, int runs) {
    char note[96];
    std::snprintf(note, sizeof note, "%d runs, %.0f to %.0f", runs, BenchMath::Min(values),
                  BenchMath::Max(values));
    return note;
}

}  // namespace

namespace StartupBench {

void Run(BenchTable& table, int runs) {
    const QByteArray png = ChartBytes();
    const SegmentedPngDecoder layout{QByteArrayView(png)};
    const std::vector<std::uint8_t> data = ImageData(png);
    // The inflated rows: each a filter byte and the pixels. Touched once, so
    // the floor is the inflate alone.
    std::vector<std::uint8_t> inflated(
        std::size_t(layout.Height()) * (std::size_t(layout.Width()) * 4 + 1), 1);
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    const int threads = std::max(1, int(std::thread::hardware_concurrency()));

    std::vector<double> chart, chartCpu, empty, emptyCpu, stock, stockCpu, floor, segmented;
    for (int run = 0; run < runs; ++run) {
        std::fprintf(stderr, "start-up, run %d of %d\n", run + 1, runs);
        const auto [chartMs, chartCpuMs] = FirstFrame("chart");
        chart.push_back(chartMs);
        chartCpu.push_back(chartCpuMs);
        stock.push_back(StockDecode(png, stockCpu));
        floor.push_back(InflateFloor(decompressor, data, inflated));
        segmented.push_back(SegmentedDecode(png, threads));
        const auto [emptyMs, emptyCpuMs] = FirstFrame("empty");
        empty.push_back(emptyMs);
        emptyCpu.push_back(emptyCpuMs);
    }
    libdeflate_free_decompressor(decompressor);

    const double first = BenchMath::Median(chart), stockMs = BenchMath::Median(stock);
    char size[160];
    std::snprintf(size, sizeof size, "chart %d x %d, %.1f MB PNG in %s", layout.Width(),
                  layout.Height(), png.size() / 1e6,
                  layout.IsSegmented() ? "independent segments" : "one piece");
    table.Section("Start to first frame");
    table.Add({"start to first frame, Form1 with the built-in chart", first, "ms",
               "stock Qt decode (read + convert)", stockMs, "<= 0.4 x stock (stretch 0.3 x)",
               first <= 0.4 * stockMs, Spread(chart, runs) + "; " + size});
    char cpu[192];
    std::snprintf(cpu, sizeof cpu,
                  "processor time: the whole process %.0f ms (all threads, exit included), "
                  "stock decode %.0f ms",
                  BenchMath::Median(chartCpu), BenchMath::Median(stockCpu));
    table.Add({"start to first frame, Form1 with the built-in chart: processor time",
               BenchMath::Median(chartCpu),
               "ms",
               "stock Qt decode, processor time",
               BenchMath::Median(stockCpu),
               "",
               {},
               cpu});
    table.Add({"start to first frame, Form1 with the built-in chart",
               first,
               "ms",
               "inflate floor (libdeflate, 1 thread)",
               BenchMath::Median(floor),
               "report",
               {},
               "floor: " + Spread(floor, runs)});
    table.Add({"chart decode alone, " + std::to_string(threads) + " threads",
               BenchMath::Median(segmented),
               "ms",
               "stock Qt decode (read + convert)",
               stockMs,
               "",
               {},
               Spread(segmented, runs) + "; stock: " + Spread(stock, runs)});
    table.Add({"start to first frame, empty window",
               BenchMath::Median(empty),
               "ms",
               "",
               0,
               "",
               {},
               Spread(empty, runs) + "; what the toolkit itself takes; processor time " +
                   std::to_string(int(BenchMath::Median(emptyCpu))) + " ms"});
}

}  // namespace StartupBench
