#pragma once

class BenchTable;

// Start to first frame: the program started as a process of its own, until
// its first paint showing the built-in chart has ended; beside it, in the
// same run and on the same chart file, Qt's stock decode and the bare
// inflate of the chart's data.
namespace StartupBench {

void Run(BenchTable& table, int runs);

}  // namespace StartupBench
