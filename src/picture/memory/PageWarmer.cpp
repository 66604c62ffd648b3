#include "PageWarmer.h"

#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

// 2 MiB a call: few calls, and pieces small enough for a thread's idle
// moment.
constexpr std::size_t kPiece = std::size_t(2) << 20;

}  // namespace

bool PageWarmer::WarmNext() noexcept {
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    if (!data_ || refused_.load(std::memory_order_relaxed)) return false;
    const std::size_t start = next_.fetch_add(kPiece, std::memory_order_relaxed);
    if (start >= size_) return false;
    // A system without it refuses the advice; the memory is the same.
    if (madvise(data_ + start, std::min(kPiece, size_ - start), MADV_POPULATE_WRITE) != 0) {
        refused_.store(true, std::memory_order_relaxed);
        return false;
    }
    return true;
#else
    return false;
#endif
}
