#pragma once

#include <QtGlobal>

// What the system counts of this process, for the tests and the benchmark
// that measure memory.
namespace ProcessStatus {
// A field of /proc/self/status given in kB ("VmRSS:", "VmHWM:", "VmPeak:"
// and the like, colon included); -1 where the system doesn't tell it. On
// Windows the first three have counterparts: the working set, its peak, and
// the peak virtual size.
qint64 KiB(const char* key);
}  // namespace ProcessStatus
