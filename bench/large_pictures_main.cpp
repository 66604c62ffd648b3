// Runs the large-picture rows of the benchmark alone:
//   bench_large [CACHE_DIR]   (default: bench-cache beside the program)

#include <unistd.h>
#include <cstdio>
#include <string>

#include "LargePictureBench.h"

int main(int argc, char** argv) {
    const int child = RunLargePictureChild(argc, argv);
    if (child >= 0) return child;
    std::string cache = argc > 1 ? argv[1] : "";
    if (cache.empty()) {
        char self[4096] = {};
        const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        std::string dir = length > 0 ? std::string(self, size_t(length)) : std::string("./x");
        cache = dir.substr(0, dir.rfind('/')) + "/bench-cache";
    }
    BenchTable table;
    RunLargePictureBench(table, cache);
    table.Print();
    return 0;
}
