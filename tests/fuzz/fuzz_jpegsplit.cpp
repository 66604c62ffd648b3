// Any bytes at all, as a JPEG decoded in two parts at once, cut wherever
// the first byte says: a picture only where one decoder makes the same
// picture, and a failure only where one decoder fails too. The scanner and
// the splicer read the file's own bytes, so bounds and sanitizers are
// libFuzzer's to watch.

#include <QFile>
#include <cstdint>

#include "FuzzPictureFile.h"
#include "picture/PictureDecoder.h"
#include "picture/streams/JpegStreamDecoder.h"

namespace {

QString picturePath;

[[noreturn]] void fail(const char* what) {
    FuzzPictureFile::Fail("fuzz_jpegsplit", what);
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
    picturePath = FuzzPictureFile::Start(argc, argv, PictureDecoder::ReaderAllocationLimitMB,
                                         QStringLiteral("picture.jpg"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte is where to cut, the rest the file.
    const double share = (data[0] + 0.5) / 256.0;
    if (!FuzzPictureFile::Write(picturePath, data + 1, size - 1))
        fail("could not write the picture file");
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
