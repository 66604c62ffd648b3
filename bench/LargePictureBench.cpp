#include "LargePictureBench.h"

#include <libdeflate.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <QColorSpace>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "BenchMath.h"
#include "ChildProcess.h"
#include "JpegFileWriter.h"
#include "PlainDecode.h"
#include "PngFileWriter.h"
#include "ProcessStatus.h"
#include "TiffFileWriter.h"
#include "framework/stock/TBitmap.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFile.h"
#include "picture/inspect/PictureSize.h"
#include "picture/memory/MappedImage.h"
#include "picture/streams/StreamInflater.h"

namespace {

constexpr const char* kChildFlag = "--large-picture-child";

struct Shape {
    int width;
    int height;
    int runs;
};
// The smallest is the base that the time per pixel of the others is held
// to, and the only one the image readers could load at all.
constexpr Shape kShapes[] = {{10000, 5000, 5}, {20000, 15000, 3}, {40000, 25000, 3}};

struct Format {
    const char* name;
    const char* extension;
};
constexpr Format kFormats[] = {{"PNG", "png"}, {"JPEG", "jpg"}, {"TIFF", "tif"}};

// What a child measured: the time of the work, and the resident memory at
// its peak above what the process held before it.
struct Figures {
    double ms = 0;
    double peakMB = 0;
    double totalMB = 0;
    bool ok = false;
};

// Something like a scanned chart: smooth shading with grain, so that no
// encoder gets an easy ride, cheap enough to make a gigapixel of.
void ChartRow(int width, int y, uchar* out) {
    quint32 state = quint32(y) * 2654435761u + 1;
    auto wave = [](int v) { return std::abs(v % 510 - 255); };
    const int down = wave(y / 40);
    for (int x = 0; x < width; ++x) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int grain = int(state & 15);
        out[3 * x] = uchar(std::min(255, wave(x / 60) + grain));
        out[3 * x + 1] = uchar(std::min(255, down + grain));
        out[3 * x + 2] = uchar(std::min(255, wave((x + y) / 90) / 2 + 100 + grain));
    }
}

bool Make(const Format& format, const std::string& path, const Shape& shape) {
    const QSize size(shape.width, shape.height);
    const int width = shape.width;
    const RowSource rows = [width](int y, uchar* out) { ChartRow(width, y, out); };
    const QString partial = QString::fromStdString(path + ".part");
    bool made = false;
    if (std::strcmp(format.name, "PNG") == 0) {
        PngFileWriter writer;
        writer.Level = 3;
        made = writer.Write(partial, size, rows);
    } else if (std::strcmp(format.name, "JPEG") == 0) {
        made = JpegFileWriter().Write(partial, size, rows);
    } else {
        TiffFileWriter writer;
        writer.Compression = COMPRESSION_LZW;
        made = writer.Write(partial, size, rows);
    }
    return made && QFile::rename(partial, QString::fromStdString(path));
}

// The way pictures were loaded before they were decoded row by row: the
// image readers, shrinking while decoding where they can, else after.
bool ReadersLoad(const std::string& path) {
    QImageReader::setAllocationLimit(PictureDecoder::ReaderAllocationLimitMB);
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    const QSize kept = PictureSize::Shrunk(size);
    const bool shrinks = reader.format() == "jpeg" ||
                         (reader.format() == "png" && reader.imageFormat() == QImage::Format_RGB32);
    if (kept != size && shrinks) reader.setScaledSize(kept);
    QImage image = reader.read();
    if (image.isNull()) return false;
    image.setColorSpace(QColorSpace());
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.size() != kept)
        image = image.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return !image.isNull();
}

Figures RunChild(const std::string& mode, const std::string& path) {
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return {};
    auto quoted = [](const std::string& text) {
        std::string out = "'";
        for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    };
    const std::string command = quoted(self) + " " + kChildFlag + " " + mode + " " + quoted(path);
    FILE* child = popen(command.c_str(), "r");
    if (!child) return {};
    Figures figures;
    const int read =
        std::fscanf(child, "%lf %lf %lf", &figures.ms, &figures.peakMB, &figures.totalMB);
    figures.ok = pclose(child) == 0 && read == 3;
    return figures;
}

// The large-image library's own shrinking tool on the same file, in a fresh
// process of its own, as a user would run it: `vipsthumbnail FILE -s 8192`,
// its thumbnail (JPEG, as by default) written into a scratch folder. Its
// time includes starting the process; its memory is the process's peak.
Figures RunVipsThumbnail(const std::string& path, const std::string& scratch) {
    const std::int64_t start = BenchMath::NowNs();
    const auto result = ChildProcess::Run(
        "vipsthumbnail",
        {path, "-s", std::to_string(PictureSize::MaxSide), "-o", scratch + "/tn_%s.jpg"});
    Figures figures;
    if (!result || result->ExitCode != 0) return figures;
    figures.ms = double(BenchMath::NowNs() - start) / 1e6;
    figures.peakMB = figures.totalMB = result->PeakMB;
    figures.ok = true;
    return figures;
}

// The targets against vipsthumbnail: PNG and JPEG at the smallest and the
// largest size; the rest is reported.
std::optional<double> VipsTarget(const Format& format, const Shape& shape, bool largest) {
    const bool base = shape.width == kShapes[0].width && shape.height == kShapes[0].height;
    if (!base && !largest) return std::nullopt;
    if (std::strcmp(format.name, "PNG") == 0) return 0.5;
    if (std::strcmp(format.name, "JPEG") == 0) return 0.6;
    return std::nullopt;
}

// The PNG file's one zlib stream inflated whole by one engine, alone: its
// time, and a checksum of every byte it gave, to hold the engines' bytes
// against each other.
struct Inflation {
    double ms = 0;
    std::uint32_t digest = 0;
    std::uint64_t bytes = 0;
    bool ended = false;
};

Inflation InflateStream(const std::string& path, StreamInflater::Engine engine) {
    Inflation inflation;
    QFile file(QString::fromStdString(path));
    StreamInflater inflater(engine);
    if (!file.open(QIODevice::ReadOnly) || !inflater.IsReady() || !file.skip(8)) return inflation;
    std::vector<std::uint8_t> in(256 * 1024), out(1 << 20);
    QElapsedTimer timer;
    timer.start();
    for (char head[8]; file.read(head, 8) == 8;) {
        qint64 length = qFromBigEndian<quint32>(head);
        if (std::memcmp(head + 4, "IDAT", 4) != 0) {
            if (inflation.bytes > 0) break;
            file.skip(length + 4);
            continue;
        }
        while (length > 0 && !inflation.ended) {
            const qint64 read = file.read(reinterpret_cast<char*>(in.data()),
                                          std::min<qint64>(length, qint64(in.size())));
            if (read <= 0) return inflation;
            length -= read;
            const std::uint8_t* at = in.data();
            std::size_t left = std::size_t(read);
            // Until the input is taken and nothing more comes out of it.
            for (std::size_t made = 1; (left > 0 || made > 0) && !inflation.ended;) {
                std::uint8_t* to = out.data();
                std::size_t room = out.size();
                const auto result = inflater.Inflate(at, left, to, room);
                made = out.size() - room;
                inflation.digest = libdeflate_crc32(inflation.digest, out.data(), made);
                inflation.bytes += made;
                if (result == StreamInflater::Result::Refused) return inflation;
                inflation.ended = result == StreamInflater::Result::Ended;
            }
        }
        file.skip(length + 4);
    }
    inflation.ms = double(timer.nsecsElapsed()) / 1e6;
    return inflation;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Spread(const std::vector<double>& values) {
    if (values.empty()) return "no run";
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%zu runs, %.0f to %.0f", values.size(),
                  *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()));
    return buffer;
}

template <typename... Args>
std::string Printed(const char* format, Args... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// The same load set beside another reference, with no target of its own.
BenchRow Beside(BenchRow row, std::string figure, std::string reference, double referenceMedian,
                std::string note) {
    row.Figure = std::move(figure);
    row.Reference = std::move(reference);
    row.ReferenceMedian = referenceMedian;
    row.Target.clear();
    row.Met.reset();
    row.Note = std::move(note);
    return row;
}

struct Series {
    std::vector<double> ms;
    std::vector<double> peakMB;
    std::vector<double> totalMB;
    void Add(const Figures& figures) {
        if (!figures.ok) return;
        ms.push_back(figures.ms);
        peakMB.push_back(figures.peakMB);
        totalMB.push_back(figures.totalMB);
    }
};

}  // namespace

int RunLargePictureChild(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[1], kChildFlag) != 0) return -1;
    const std::string mode = argv[2], path = argv[3];
    QCoreApplication app(argc, argv);
    // The high-water mark starts afresh here, so the peak is this work's.
    if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
    const qint64 before = ProcessStatus::KiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    bool done = false;
    if (mode == "load") {
        TBitmap bitmap;
        try {
            bitmap.LoadFromFile(QString::fromStdString(path));
            done = !bitmap.IsEmpty();
        } catch (...) {
            done = false;
        }
    } else if (mode == "one-thread") {
        // The decoders as they were before they used both cores: the same
        // opening and decoding as a load, all on this thread.
        const PictureFile::Opened opened =
            PictureFile::OpenForReading(QString::fromStdString(path));
        done = opened.file &&
               !PictureDecoder::Decode(*opened.file, {}, PictureDecoder::Threads::One).isNull();
    } else if (mode == "readers") {
        done = ReadersLoad(path);
    } else if (mode == "touch" || mode == "touch-huge") {
        // The path is the size: the kept picture's pixels, allocated and
        // written once, in ordinary pages as a load takes them or in huge
        // pages.
        int width = 0, height = 0;
        if (std::sscanf(path.c_str(), "%dx%d", &width, &height) == 2) {
            const QSize size(width, height);
            const auto format = QImage::Format_ARGB32_Premultiplied;
            QImage image = MappedImage::Create(
                size, format,
                mode == "touch" ? MappedBuffer::Pages::Ordinary : MappedBuffer::Pages::Huge);
            image.fill(0xFF204060);
            done = !image.isNull();
        }
    } else if (mode == "plain-PNG") {
        done = PlainDecode::Png(path);
    } else if (mode == "plain-JPEG") {
        done = PlainDecode::Jpeg(path);
    } else if (mode == "plain-TIFF") {
        done = PlainDecode::Tiff(path);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const qint64 peak = ProcessStatus::KiB("VmHWM:");
    std::printf("%.1f %.1f %.1f\n", ms, double(peak - before) * 1024 / 1e6,
                double(peak) * 1024 / 1e6);
    return done ? 0 : 1;
}

void RunLargePictureBench(BenchTable& table, const std::string& cacheDir) {
    std::error_code error;
    std::filesystem::create_directories(cacheDir, error);
    // vipsthumbnail puts a relative output path beside its input, not in
    // the working folder: given a relative cache, it would write nowhere.
    const std::string scratch =
        std::filesystem::absolute(cacheDir, error).string() + "/vipsthumbnail-out";
    std::filesystem::create_directories(scratch, error);
    table.Section("Large pictures: load time and peak memory");
    // The time a source pixel at the size before: linear time keeps it, as
    // the fixed costs of a load (the kept picture's memory) fade.
    double previousPerPixel[std::size(kFormats)] = {};
    std::string previousSize;
    for (const Shape& shape : kShapes) {
        const double pixels = double(shape.width) * shape.height;
        const QSize kept = PictureSize::Shrunk(QSize(shape.width, shape.height));
        const double keptMB = double(kept.width()) * kept.height() * 4 / 1e6;
        const bool base = &shape == &kShapes[0];
        // What the machine takes to hand out the kept picture's memory, part
        // of every load and of no decoder: first writes to fresh pages are
        // slow in a virtual machine that provides them lazily.
        Series touch, touchHuge;
        const std::string keptSize =
            std::to_string(kept.width()) + "x" + std::to_string(kept.height());
        for (int run = 0; run < shape.runs; ++run) {
            touch.Add(RunChild("touch", keptSize));
            touchHuge.Add(RunChild("touch-huge", keptSize));
        }
        BenchRow fresh;
        fresh.Figure = "first write to fresh memory for the kept " + keptSize + " picture";
        fresh.Median = Median(touch.ms);
        fresh.Unit = "ms";
        fresh.Reference = "in huge pages";
        fresh.ReferenceMedian = Median(touchHuge.ms);
        fresh.Note = Spread(touch.ms) + " ms in 4 KiB pages, as the loads below take them; " +
                     Spread(touchHuge.ms) + " ms in huge pages";
        table.Add(fresh);
        for (size_t f = 0; f < std::size(kFormats); ++f) {
            const Format& format = kFormats[f];
            char label[64];
            std::snprintf(label, sizeof label, "%s %d x %d", format.name, shape.width,
                          shape.height);
            const std::string path = cacheDir + "/large-" + std::to_string(shape.width) + "x" +
                                     std::to_string(shape.height) + "." + format.extension;
            if (!std::filesystem::exists(path)) {
                QElapsedTimer timer;
                timer.start();
                const bool made = Make(format, path, shape);
                std::fprintf(stderr, "%s: written in %.1f s, %.0f MB\n", label,
                             double(timer.elapsed()) / 1000,
                             made ? double(std::filesystem::file_size(path)) / 1e6 : 0.0);
                if (!made) continue;
            }
            Series load, single, plain, readers, vips;
            for (int run = 0; run < shape.runs; ++run) {
                load.Add(RunChild("load", path));
                single.Add(RunChild("one-thread", path));
                vips.Add(RunVipsThumbnail(path, scratch));
                plain.Add(RunChild(std::string("plain-") + format.name, path));
                if (base) readers.Add(RunChild("readers", path));
            }
            if (vips.ms.empty())
                std::fprintf(stderr, "%s: vipsthumbnail failed on every run\n", label);
            std::fprintf(stderr,
                         "%s: load %.0f ms, %.0f MB; vipsthumbnail %.0f ms, %.0f MB; plain "
                         "decode %.0f ms\n",
                         label, Median(load.ms), Median(load.peakMB), Median(vips.ms),
                         Median(vips.peakMB), Median(plain.ms));
            const double perPixel = Median(load.ms) / pixels;
            const double previous = previousPerPixel[f];
            previousPerPixel[f] = perPixel;
            char note[160];
            std::snprintf(note, sizeof note, "%.1f ns a source pixel; %s ms", perPixel * 1e6,
                          Spread(load.ms).c_str());
            BenchRow time;
            time.Figure = std::string(label) + ": load time";
            time.Median = Median(load.ms);
            time.Unit = "ms";
            time.Reference = "plain full-size decode";
            time.ReferenceMedian = Median(plain.ms);
            if (!base) {
                time.Target = "<= 1.25 x the time a pixel at " + previousSize;
                time.Met = !load.ms.empty() && perPixel <= previous * 1.25;
            }
            time.Note = note;
            table.Add(time);

            BenchRow memory;
            memory.Figure = std::string(label) + ": peak memory";
            memory.Median = Median(load.peakMB);
            memory.Unit = "MB";
            memory.Reference = "kept picture";
            memory.ReferenceMedian = keptMB;
            memory.Target = "<= 1.5 x kept + 64 MB";
            memory.Met = !load.peakMB.empty() && memory.Median <= 1.5 * keptMB + 64;
            std::snprintf(note, sizeof note, "%s MB; %.0f MB resident in all",
                          Spread(load.peakMB).c_str(), Median(load.totalMB));
            memory.Note = note;
            table.Add(memory);

            const std::string named(label);
            BenchRow vipsTime = Beside(
                time, named + ": load time against vipsthumbnail", "vipsthumbnail -s 8192",
                Median(vips.ms),
                Printed("vipsthumbnail: %s ms, process start included", Spread(vips.ms).c_str()));
            const bool largest = &shape == &kShapes[std::size(kShapes) - 1];
            if (const auto target = VipsTarget(format, shape, largest)) {
                vipsTime.Target = Printed("<= %.1f x vipsthumbnail", *target);
                vipsTime.Met = !load.ms.empty() && !vips.ms.empty() &&
                               vipsTime.Median <= *target * vipsTime.ReferenceMedian;
            }
            table.Add(vipsTime);
            BenchRow before =
                Beside(vipsTime, named + ": one thread, as before, against vipsthumbnail",
                       vipsTime.Reference, vipsTime.ReferenceMedian,
                       Printed("one thread: %s ms", Spread(single.ms).c_str()));
            before.Median = Median(single.ms);
            table.Add(before);
            table.Add(
                Beside(time, named + ": load time, two cores against one thread",
                       "one thread, as before", Median(single.ms),
                       Printed("one thread: %s MB at its peak", Spread(single.peakMB).c_str())));
            BenchRow vipsMemory = Beside(
                memory, named + ": peak resident memory against vipsthumbnail", "vipsthumbnail",
                Median(vips.peakMB),
                Printed("whole processes; vipsthumbnail: %s MB", Spread(vips.peakMB).c_str()));
            vipsMemory.Median = Median(load.totalMB);
            table.Add(vipsMemory);

            if (std::strcmp(format.name, "PNG") == 0) {
                const Inflation fast = InflateStream(path, StreamInflater::Engine::Fastest);
                const Inflation zlib = InflateStream(path, StreamInflater::Engine::Zlib);
                BenchRow inflate;
                inflate.Figure = std::string(label) + ": inflating its stream alone, " +
                                 StreamInflater(StreamInflater::Engine::Fastest).Name();
                inflate.Median = fast.ms;
                inflate.Unit = "ms";
                inflate.Reference = "zlib";
                inflate.ReferenceMedian = zlib.ms;
                std::snprintf(note, sizeof note, "1 run each; %.0f MB out; the same bytes: %s",
                              double(fast.bytes) / 1e6,
                              fast.ended && zlib.ended && fast.bytes == zlib.bytes &&
                                      fast.digest == zlib.digest
                                  ? "yes"
                                  : "NO");
                inflate.Note = note;
                table.Add(inflate);
            }

            if (base) {
                // Only this size is within the readers' bound.
                table.Add(Beside(time, named + ": load time against the image readers",
                                 "image readers", Median(readers.ms),
                                 Printed("readers: %s ms", Spread(readers.ms).c_str())));
                table.Add(Beside(memory, named + ": peak memory against the image readers",
                                 "image readers", Median(readers.peakMB),
                                 Printed("readers: %s MB", Spread(readers.peakMB).c_str())));
            }
        }
        previousSize = std::to_string(shape.width) + " x " + std::to_string(shape.height);
    }
}
