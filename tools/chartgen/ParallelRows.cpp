#include "ParallelRows.h"

#include <algorithm>
#include <thread>
#include <vector>

int ParallelRows::workerCount() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

void ParallelRows::run(int rows, const std::function<void(int, int)>& work) {
    const int workers = std::min(workerCount(), std::max(1, rows));
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i) {
        threads.emplace_back(work, rows * i / workers, rows * (i + 1) / workers);
    }
    work(0, rows / workers);
    for (std::thread& t : threads) t.join();
}
