#pragma once

class BenchTable;
class BenchWindow;

// Repainting the chart view of the real window at several sizes against a
// plain drawImage of the same picture into the same rectangle, and the
// repaint that one motion step of the marker causes.
namespace PaintBench {

void Run(BenchTable& table, BenchWindow& window, int repaints);

}  // namespace PaintBench
