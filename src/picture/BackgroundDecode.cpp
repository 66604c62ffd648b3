#include "BackgroundDecode.h"

#include <QtDebug>
#include <algorithm>
#include <system_error>
#include <utility>

#include "picture/segmented/SegmentedPngDecoder.h"

namespace {

// Past this, more threads only split the memory bandwidth further.
constexpr int kMostThreads = 8;

}  // namespace

std::unique_ptr<BackgroundDecode> BackgroundDecode::Start(QByteArray bytes, int threads) {
    if (!SegmentedPngDecoder(QByteArrayView(bytes)).IsSegmented()) return nullptr;
    return std::make_unique<BackgroundDecode>(std::move(bytes), threads);
}

BackgroundDecode::BackgroundDecode(QByteArray bytes, int threads) : bytes_(std::move(bytes)) {
    if (threads <= 0)
        threads = std::clamp(int(std::thread::hardware_concurrency()), 1, kMostThreads);
    try {
        thread_ = std::thread([this, threads] {
            try {
                image_ =
                    SegmentedPngDecoder(QByteArrayView(bytes_)).Decode(threads, cancel_, &opaque_);
            } catch (...) {
                failure_ = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the first use decodes the usual way.
    }
}

BackgroundDecode::~BackgroundDecode() {
    cancel_ = true;
    Join();
}

void BackgroundDecode::Join() {
    if (thread_.joinable()) thread_.join();
}

QImage BackgroundDecode::Take(bool* opaque) {
    Join();
    if (failure_) {
        // Out of memory, most likely; the general decoder gets its turn.
        try {
            std::rethrow_exception(std::exchange(failure_, nullptr));
        } catch (const std::exception& e) {
            qWarning("Decoding the picture in the background failed: %s", e.what());
        } catch (...) {
            qWarning("Decoding the picture in the background failed.");
        }
    }
    // The bytes are the caller's again alone, to release.
    bytes_ = QByteArray();
    if (opaque) *opaque = opaque_ && !image_.isNull();
    return std::exchange(image_, QImage());
}
