#include "PictureFile.h"

#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <QDir>
#include <string>
#include <string_view>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PictureFile {

namespace {

Opened CannotOpen(int systemError) {
    return {nullptr, Failure::CannotOpen, systemError};
}

Opened NotAFile() {
    return {nullptr, Failure::NotAFile, 0};
}

}  // namespace

#ifdef Q_OS_WIN
namespace {

// The path as CreateFileW takes it: native separators, and an absolute path
// too long for the old limit in the \\?\ form that lifts it. Names in the
// device namespace (\\.\pipe\..., \\?\...) stay as they are.
std::wstring WidePath(const QString& path) {
    QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QLatin1String("\\\\.\\")) || native.startsWith(QLatin1String("\\\\?\\")))
        return native.toStdWString();
    native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (native.size() >= MAX_PATH - 12) {
        if (native.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
        else
            native = QLatin1String("\\\\?\\") + native;
    }
    return native.toStdWString();
}

// Whether the system reads the name as a device or a pipe rather than a file
// on a disk: the \\.\ namespace, and the old device names (NUL, CON, COM1,
// in any folder), which it turns into \\.\ names.
bool NamesADevice(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH &&
           std::wstring_view(full, length).starts_with(L"\\\\.\\");
}

}  // namespace

Opened OpenForReading(const QString& path) {
    const std::wstring name = WidePath(path);
    // Others may read the file while it is open, nobody may write it. A
    // client's end of a pipe opens at once, whether or not anything will be
    // written; the kind of file is checked on the open handle.
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A device that refuses to open here (CON without a console, a pipe
        // with every instance busy) is still no file.
        if (NamesADevice(name)) return NotAFile();
        return CannotOpen(error ? int(error) : ERROR_FILE_NOT_FOUND);
    }
    // A folder opens only when asked for with backup semantics, so what
    // opened is a file on a disk, a device or a pipe.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return NotAFile();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return CannotOpen(ERROR_TOO_MANY_OPEN_FILES);
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return CannotOpen(ERROR_READ_FAULT);
    }
    return {std::move(file)};
}
#else
Opened OpenForReading(const QString& path) {
    // Non-blocking, so that opening a pipe with no writer returns at once;
    // it changes nothing for a regular file. The kind of file is checked on
    // the open descriptor, so nothing can be swapped in between.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return CannotOpen(errno);
    struct stat status {};
    int error = ::fstat(fd, &status) == 0 ? 0 : errno;
    // A directory opens for reading here, but reading it fails with this.
    if (!error && S_ISDIR(status.st_mode)) error = EISDIR;
    if (error) {
        ::close(fd);
        return CannotOpen(error);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return NotAFile();
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return CannotOpen(EIO);
    }
    return {std::move(file)};
}
#endif

}  // namespace PictureFile
