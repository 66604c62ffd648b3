#pragma once

class BenchTable;

// Resident memory of the program with its chart shown, against an empty
// window of the same toolkit, each in a process of its own.
namespace MemoryBench {

void Run(BenchTable& table, int runs);

}  // namespace MemoryBench
