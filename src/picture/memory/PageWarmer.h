#pragma once

#include <cstddef>
#include <cstdint>

// Makes fresh memory resident ahead of its first write, on another thread
// than the one that will write it. In a virtual machine that hands pages out
// lazily, the first write to each page of a large picture costs far more
// than the writing itself (a fifth of a large load here), and a core with
// time to spare can pay it instead. Nothing is written: only the system is
// asked for the pages, so the two threads never touch the same bytes.
class PageWarmer {
public:
    PageWarmer() = default;
    // Memory from the system (a MappedBuffer's), starting on a page.
    PageWarmer(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Makes the first `fraction` of the memory resident, in whole huge
    // pages; from one thread at a time. Where the system can't, the first
    // writes pay as before.
    void WarmTo(double fraction) noexcept;

    // What a writer that goes through the memory in order needs a little
    // ahead of it, when `done` of `total` parts have been written.
    void WarmAhead(std::uint64_t done, std::uint64_t total) noexcept {
        if (total > 0) WarmTo(double(done + total / 16 + 1) / double(total));
    }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t warmed_ = 0;
};
