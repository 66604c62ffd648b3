#pragma once

#include <cstddef>
#include <cstdint>

// Memory taken straight from the system and given straight back: no
// allocator keeps it once it is freed, so a decode's scratch space doesn't
// stay in the process. Large buffers are asked to be backed by huge pages,
// which makes touching tens of megabytes of fresh memory dozens of times
// cheaper (on Windows, large pages where the account may lock memory).
// Zero-filled; empty when the system refuses.
class MappedBuffer {
public:
    // Huge pages make the first write cheap where nothing else prepares the
    // memory. Where idle threads make it resident ahead of the writes
    // (PageWarmer), ordinary pages come cheaper and steadier: in a virtual
    // machine that takes free memory back, huge pages tend to be the ones
    // handed back, and their first touch then costs from a fraction to ten
    // times as much as ordinary pages', run to run.
    enum class Pages { Huge, Ordinary };

    MappedBuffer() = default;
    explicit MappedBuffer(std::size_t size, Pages pages = Pages::Huge);
    ~MappedBuffer();
    MappedBuffer(MappedBuffer&& other) noexcept;
    MappedBuffer& operator=(MappedBuffer&& other) noexcept;
    MappedBuffer(const MappedBuffer&) = delete;
    MappedBuffer& operator=(const MappedBuffer&) = delete;

    std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool IsEmpty() const { return data_ == nullptr; }

    // Gives up ownership; the memory is then freed with Free(data, size).
    std::uint8_t* Release();
    static void Free(std::uint8_t* data, std::size_t size);

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
