#pragma once

class BenchTable;
class BenchWindow;

// The marker's motion steps with the switch on: when each came, against its
// slot one interval after the one before, counted from the switch.
namespace TimerBench {

void Run(BenchTable& table, BenchWindow& window, int steps);

}  // namespace TimerBench
