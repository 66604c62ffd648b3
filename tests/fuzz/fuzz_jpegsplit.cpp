// Any bytes at all, as a JPEG decoded in two parts at once, cut wherever
// the first byte says: a picture only where one decoder makes the same
// picture, and a failure only where one decoder fails too. The scanner and
// the splicer read the file's own bytes, so bounds and sanitizers are
// libFuzzer's to watch.

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzArguments.h"
#include "picture/PictureDecoder.h"
#include "picture/streams/JpegStreamDecoder.h"

namespace {

QString picturePath;

bool writeFile(const QString& path, const uint8_t* data, size_t size) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) break;
        written += size_t(n);
    }
    return ::close(fd) == 0 && written == size;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_jpegsplit: %s\n", what);
    std::abort();
}

StreamOutcome Decode(bool cut, double share) {
    QFile file(picturePath);
    if (!file.open(QIODevice::ReadOnly)) fail("a file just written could not be opened");
    if (!cut) return JpegStreamDecoder(file).Decode();
    JpegStreamDecoder decoder(file, {.leastBytes = 0, .upperShare = share, .upperWaits = true});
    return decoder.DecodePipelined();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const int bound = PictureDecoder::ReaderAllocationLimitMB;
    FuzzArguments::PrependDefaults(
        argc, argv,
        {"-malloc_limit_mb=" + std::to_string(bound),
         "-rss_limit_mb=" + std::to_string(bound + 1024), "-timeout=30"});
    FuzzArguments::UseOffscreenPlatform();
    FuzzArguments::SilenceQt();
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tidemark-fuzz-XXXXXX"));
    if (!dir.isValid()) fail("no temporary directory");
    picturePath = dir.filePath(QStringLiteral("picture.jpg"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte is where to cut, the rest the file.
    const double share = (data[0] + 0.5) / 256.0;
    if (!writeFile(picturePath, data + 1, size - 1)) fail("could not write the picture file");
    const StreamOutcome cut = Decode(true, share);
    if (cut.status == DecodeOutcome::Declined) return 0;
    const StreamOutcome whole = Decode(false, share);
    if (cut.status == DecodeOutcome::Decoded) {
        if (whole.status != DecodeOutcome::Decoded) fail("a picture where one decoder has none");
        if (cut.image != whole.image) fail("other pixels than one decoder's");
    } else if (cut.status == DecodeOutcome::Failed && whole.status == DecodeOutcome::Decoded) {
        fail("a failure where one decoder makes a picture");
    }
    return 0;
}
