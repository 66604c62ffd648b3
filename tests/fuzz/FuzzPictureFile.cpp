#include "FuzzPictureFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzArguments.h"

namespace FuzzPictureFile {

QString Start(int* argc, char*** argv, int boundMB, const QString& fileName) {
    FuzzArguments::PrependDefaults(
        argc, argv,
        {"-malloc_limit_mb=" + std::to_string(boundMB),
         "-rss_limit_mb=" + std::to_string(boundMB + 1024), "-timeout=30"});
    FuzzArguments::UseOffscreenPlatform();
    FuzzArguments::SilenceQt();
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tidemark-fuzz-XXXXXX"));
    if (!dir.isValid()) Fail("fuzz", "no temporary directory");
    return dir.filePath(fileName);
}

bool Write(const QString& path, const std::uint8_t* data, std::size_t size) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) break;
        written += std::size_t(n);
    }
    return ::close(fd) == 0 && written == size;
}

void Fail(const char* target, const char* what) {
    std::fprintf(stderr, "%s: %s\n", target, what);
    std::abort();
}

}  // namespace FuzzPictureFile
