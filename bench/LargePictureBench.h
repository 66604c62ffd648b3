#pragma once

#include <string>

#include "BenchTable.h"

// Benchmark 4, large pictures: load time and peak memory of PNG, JPEG and
// TIFF pictures of 10000 x 5000, 20000 x 15000 and 40000 x 25000, each load
// in a fresh child process (this program run again with the child's
// arguments), each figure the median of several runs. The pictures are
// written once, row by row, into cacheDir and kept there (4.3 GB).
void RunLargePictureBench(BenchTable& table, const std::string& cacheDir);

// The child's side: when the arguments ask for one of its measurements,
// makes it, prints the figures on stdout and returns the exit code; -1 when
// they don't, for the program's main to go on. Call it first thing in main.
int RunLargePictureChild(int argc, char** argv);
