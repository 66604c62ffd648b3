#include "PageWarmer.h"

#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

}  // namespace

void PageWarmer::WarmTo(double fraction) noexcept {
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    if (!data_ || warmed_ >= size_) return;
    const double wanted = std::clamp(fraction, 0.0, 1.0) * double(size_);
    const std::size_t target =
        std::min(size_, (std::size_t(wanted) + kHugePage - 1) / kHugePage * kHugePage);
    if (target <= warmed_) return;
    // A system without it refuses the advice; the memory is the same.
    if (madvise(data_ + warmed_, target - warmed_, MADV_POPULATE_WRITE) != 0) {
        data_ = nullptr;
        return;
    }
    warmed_ = target;
#else
    Q_UNUSED(fraction);
#endif
}
