#include "PositionalFile.h"

#include <QFileDevice>
#include <algorithm>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#include <cerrno>
#endif

PositionalFile::PositionalFile(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    if (!file || file->isSequential() || !file->isOpen()) return;
    const qint64 size = file->size();
    if (size <= 0) return;
    handle_ = file->handle();
    size_ = size;
}

qint64 PositionalFile::ReadAt(qint64 offset, void* data, qint64 size) const noexcept {
    if (handle_ < 0 || offset < 0 || size < 0) return -1;
    qint64 done = 0;
    auto* out = static_cast<char*>(data);
    while (done < size) {
        const qint64 at = offset + done;
        const qint64 want = std::min<qint64>(size - done, qint64(1) << 30);
#if defined(Q_OS_WIN)
        // A read with an offset on a handle opened for plain reading; it also
        // moves the handle's own position, which is why every reader of the
        // file during such a decode reads this way.
        const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(handle_));
        if (handle == INVALID_HANDLE_VALUE) return -1;
        OVERLAPPED where{};
        where.Offset = DWORD(quint64(at) & 0xFFFFFFFFu);
        where.OffsetHigh = DWORD(quint64(at) >> 32);
        DWORD got = 0;
        if (!ReadFile(handle, out + done, DWORD(want), &got, &where)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        const qint64 read = qint64(got);
#else
        const ssize_t read = pread(handle_, out + done, size_t(want), off_t(at));
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return -1;
#endif
        if (read == 0) break;
        done += read;
    }
    return done;
}
