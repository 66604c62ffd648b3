#include "PictureFile.h"

#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
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
Opened OpenForReading(const QString& path) {
    // The names a file dialog returns here are files, folders, or devices and
    // pipes given by their \\.\ names, which QFileInfo doesn't call files.
    const QFileInfo info(path);
    if (info.isDir()) return CannotOpen(ERROR_ACCESS_DENIED);
    if (info.exists() && !info.isFile()) return NotAFile();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        const DWORD error = GetLastError();
        return CannotOpen(error ? int(error) : ERROR_FILE_NOT_FOUND);
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
