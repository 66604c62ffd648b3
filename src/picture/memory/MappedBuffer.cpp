#include "MappedBuffer.h"

#include <QtGlobal>
#include <cstdlib>
#include <utility>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_LINUX
constexpr std::size_t kHugePage = std::size_t(2) << 20;

// Below this the kernel's huge pages would round the buffer up by more than
// they save.
constexpr std::size_t kHugePageThreshold = 4 * kHugePage;

std::uint8_t* Map(std::size_t size, MappedBuffer::Pages pages) {
    if (size < kHugePageThreshold || pages == MappedBuffer::Pages::Ordinary) {
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return p == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(p);
    }
    // Huge pages need 2 MiB alignment: map a page more and trim both ends.
    const std::size_t span = size + kHugePage;
    void* p = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) munmap(p, aligned - start);
    const std::uintptr_t end = start + span;
    const std::uintptr_t used = aligned + ((size + 4095) & ~std::size_t(4095));
    if (end > used) munmap(reinterpret_cast<void*>(used), end - used);
    // Only a hint: without huge pages the buffer works the same, slower.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<std::uint8_t*>(aligned);
}

void Unmap(std::uint8_t* data, std::size_t size) {
    munmap(data, size);
}
#elif defined(Q_OS_WIN)
// Large pages take a privilege that administrators grant to few accounts;
// where it is held (even if not yet enabled) it is enabled once, else the
// buffers are ordinary pages.
std::size_t LargePage() {
    static const std::size_t page = [] {
        const std::size_t minimum = GetLargePageMinimum();
        if (minimum == 0) return std::size_t(0);
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return std::size_t(0);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        const bool held =
            LookupPrivilegeValueW(nullptr, SE_LOCK_MEMORY_NAME, &privileges.Privileges[0].Luid) &&
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;
        CloseHandle(token);
        return held ? minimum : std::size_t(0);
    }();
    return page;
}

std::uint8_t* Map(std::size_t size, MappedBuffer::Pages pages) {
    // As on Linux, only buffers of several large pages are worth rounding up.
    const std::size_t large = pages == MappedBuffer::Pages::Huge ? LargePage() : 0;
    if (large && size >= 4 * large) {
        const std::size_t rounded = (size + large - 1) / large * large;
        if (void* p = VirtualAlloc(nullptr, rounded, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES,
                                   PAGE_READWRITE))
            return static_cast<std::uint8_t*>(p);
    }
    return static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void Unmap(std::uint8_t* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}
#else
std::uint8_t* Map(std::size_t size, MappedBuffer::Pages) {
    return static_cast<std::uint8_t*>(std::calloc(size, 1));
}

void Unmap(std::uint8_t* data, std::size_t) {
    std::free(data);
}
#endif

}  // namespace

MappedBuffer::MappedBuffer(std::size_t size, Pages pages) {
    if (size == 0) return;
    data_ = Map(size, pages);
    if (data_) size_ = size;
}

MappedBuffer::~MappedBuffer() {
    Free(data_, size_);
}

MappedBuffer::MappedBuffer(MappedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedBuffer& MappedBuffer::operator=(MappedBuffer&& other) noexcept {
    if (this != &other) {
        Free(data_, size_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::uint8_t* MappedBuffer::Release() {
    size_ = 0;
    return std::exchange(data_, nullptr);
}

void MappedBuffer::Free(std::uint8_t* data, std::size_t size) {
    if (data) Unmap(data, size);
}
