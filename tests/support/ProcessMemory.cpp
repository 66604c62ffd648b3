#include "ProcessMemory.h"

#include <malloc.h>
#include <unistd.h>
#include <QFile>

#if defined(__SANITIZE_ADDRESS__)
#define TIDEMARK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIDEMARK_ASAN 1
#endif
#endif

#ifdef TIDEMARK_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace ProcessMemory {

qint64 Resident() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return -1;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
}

qint64 HeapInUse() {
#ifdef TIDEMARK_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

bool Sanitized() {
#ifdef TIDEMARK_ASAN
    return true;
#else
    return false;
#endif
}

}  // namespace ProcessMemory
