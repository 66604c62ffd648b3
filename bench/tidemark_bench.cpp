// Tidemark's benchmark: every figure of the performance work in one table,
// each a median of several runs beside its reference measured in the same
// run. Not a test; run it by hand on a quiet machine.
//
//   tidemark_bench [--runs N] [--timer] [--cache DIR] [--only SECTIONS]
//
//   --runs N        runs of each figure (default 7)
//   --timer         also the 60 motion steps with the switch on (a minute)
//   --cache DIR     where generated pictures are kept between runs
//   --only SECTIONS some of startup,memory,paint,large,timer, comma-separated
//
// It prints the table in Markdown on standard output, progress on standard
// error. It runs on Qt's offscreen platform.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <string>

#include "BenchTable.h"
#include "BenchWindow.h"
#include "MemoryBench.h"
#include "PaintBench.h"
#include "StartupBench.h"
#include "TimerBench.h"
#include "Unit1.h"
#include "WindowChild.h"

#include "LargePictureBench.h"

namespace {

std::string LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) return "unknown";
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.size() >= 3 ? (fields[0] + " " + fields[1] + " " + fields[2]).toStdString()
                              : "unknown";
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) return WindowChild::Run(argc, argv);
    if (const int child = RunLargePictureChild(argc, argv); child >= 0) return child;

    int runs = 7;
    bool timer = false;
    std::string cacheDir;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--timer") == 0) {
            timer = true;
        } else if (std::strcmp(argv[i], "--cache") == 0 && i + 1 < argc) {
            cacheDir = argv[++i];
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = "," + std::string(argv[++i]) + ",";
            timer = timer || only.find(",timer,") != std::string::npos;
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] [--timer] [--cache DIR] [--only SECTIONS]\n",
                         argv[0]);
            return 2;
        }
    }

    int qtArgc = 1;
    QApplication platform(qtArgc, argv);
    if (cacheDir.empty())
        cacheDir = (QCoreApplication::applicationDirPath() + "/bench-cache").toStdString();
    QDir().mkpath(QString::fromStdString(cacheDir));
    RegisterUnit1Classes();
    const std::string loadBefore = LoadAverage();

    const auto wanted = [&only](const char* section) {
        return only.empty() || only.find("," + std::string(section) + ",") != std::string::npos;
    };
    BenchTable table;
    if (wanted("startup")) StartupBench::Run(table, runs);
    if (wanted("memory")) MemoryBench::Run(table, runs);
    if (wanted("paint") || timer) {
        BenchWindow window;
        // A repaint at the smallest size takes a third of a millisecond, and
        // Qt's drawing threads waking up make single ones noisy: many of them
        // steady the medians.
        if (wanted("paint")) PaintBench::Run(table, window, 16 * runs + 1);
        if (timer) TimerBench::Run(table, window, 60);
    }
    if (wanted("large")) RunLargePictureBench(table, cacheDir);

    std::printf("Load average before: %s; after: %s. %s the timer section.\n", loadBefore.c_str(),
                LoadAverage().c_str(), timer ? "With" : "Without (--timer for it)");
    table.Print();
    return 0;
}
