#pragma once

#include <functional>

// Shares a range of rows out among a few threads. Callers make every row's result depend only
// on the row itself, so the picture is identical however many cores there are.
class ParallelRows {
public:
    static int workerCount();
    static void run(int rows, const std::function<void(int begin, int end)>& work);
};
