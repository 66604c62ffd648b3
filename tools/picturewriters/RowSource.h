#pragma once

#include <QtGlobal>
#include <functional>

// Fills the samples of row y of a picture being written, in the file's own
// layout: bytes for 8-bit samples, 16-bit samples in the machine's order,
// bits packed from the high one for fewer.
using RowSource = std::function<void(int y, uchar* samples)>;
