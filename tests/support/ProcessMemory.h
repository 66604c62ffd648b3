#pragma once

#include <QtGlobal>

// How much memory the test process holds, for checks that it stays flat.
namespace ProcessMemory {

// Resident set size, in bytes; -1 where the system doesn't tell.
qint64 Resident();
// Bytes the heap has handed out and not had back, -1 where the system
// doesn't tell. Under AddressSanitizer its own count, which leaves out freed
// memory held in quarantine.
qint64 HeapInUse();
// Whether the process runs under AddressSanitizer.
bool Sanitized();

}  // namespace ProcessMemory
