#include "ProcessStatus.h"

#include <QByteArray>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <winternl.h>

#include <cstring>
#endif

namespace ProcessStatus {

#ifdef Q_OS_WIN
// The system's counters of the process that match /proc's fields: the
// working set is the resident size, and the peak virtual size is the same
// figure on both.
qint64 KiB(const char* key) {
    VM_COUNTERS counters{};
    if (!NT_SUCCESS(NtQueryInformationProcess(GetCurrentProcess(), ProcessVmCounters, &counters,
                                              sizeof counters, nullptr)))
        return -1;
    if (std::strcmp(key, "VmRSS:") == 0) return qint64(counters.WorkingSetSize / 1024);
    if (std::strcmp(key, "VmHWM:") == 0) return qint64(counters.PeakWorkingSetSize / 1024);
    if (std::strcmp(key, "VmPeak:") == 0) return qint64(counters.PeakVirtualSize / 1024);
    return -1;
}
#else
qint64 KiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').front().toLongLong();
    return -1;
}
#endif

}  // namespace ProcessStatus
