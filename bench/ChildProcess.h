#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Runs this benchmark again as a process of its own, for figures that must
// start from a fresh process: start-up time, resident memory.
namespace ChildProcess {

struct Result {
    std::int64_t StartNs = 0;  // just before the process was created
    std::string Output;        // everything it wrote to its standard output
    int ExitCode = -1;
    double CpuMs = 0;   // the processor time it used, all its threads, user and system
    double PeakMB = 0;  // its resident memory at its peak
};

// Runs the benchmark's own executable with these arguments and waits for it.
std::optional<Result> RunSelf(const std::vector<std::string>& arguments);
// Runs another program, found on the PATH, its standard output and error
// discarded unless Output is wanted.
std::optional<Result> Run(const std::string& program, const std::vector<std::string>& arguments);

// The number after "key " on a line of the output.
std::optional<double> Value(const std::string& output, const std::string& key);

}  // namespace ChildProcess
