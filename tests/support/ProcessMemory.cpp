#include "ProcessMemory.h"

#include <QFile>
#include <QtGlobal>
#ifdef Q_OS_LINUX
#include <malloc.h>
#include <unistd.h>
#endif

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
#ifndef Q_OS_LINUX
    return -1;
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return -1;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
#endif
}

qint64 HeapInUse() {
#if defined(TIDEMARK_ASAN)
    return qint64(__sanitizer_get_current_allocated_bytes());
#elif defined(Q_OS_LINUX)
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#else
    return -1;
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
