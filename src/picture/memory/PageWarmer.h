#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Makes fresh memory resident ahead of its first write, a piece at a time,
// from whichever thread has time to spare. In a virtual machine that hands
// pages out lazily, the first write to each page of a large picture costs
// far more than the writing itself (a fifth of a large load here). Nothing
// is written: only the system is asked for the pages, so the threads never
// touch the bytes another writes.
class PageWarmer {
public:
    PageWarmer() = default;
    // Memory from the system (a MappedBuffer's), starting on a page.
    PageWarmer(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;

    // Makes the next piece resident, in order from the start; from any
    // thread, each piece once. False when nothing is left to do, or the
    // system can't (then the first writes pay as before).
    bool WarmNext() noexcept;

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> refused_{false};
};
