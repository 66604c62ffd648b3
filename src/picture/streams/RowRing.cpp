#include "RowRing.h"

#include <system_error>

RowRing::RowRing(std::size_t rowBytes, int slotCount)
    : rowBytes_(rowBytes),
      slots_(slotCount),
      rows_(rowBytes * std::size_t(slotCount > 1 ? slotCount : 0)) {}

RowRing::~RowRing() {
    Stop();
}

bool RowRing::Start(std::function<bool(RowRing&)> make) {
    if (!IsValid() || worker_.joinable()) return false;
    try {
        worker_ = std::thread([this, make = std::move(make)] {
            bool made = false;
            try {
                made = make(*this);
            } catch (...) {
                made = false;
            }
            const std::lock_guard lock(mutex_);
            ended_ = true;
            succeeded_ = made;
            changed_.notify_all();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

template <typename Ready>
void RowRing::Await(std::unique_lock<std::mutex>& lock, Ready ready) {
    while (!ready()) {
        if (!idleWork_ || !idleWorkLeft_.load(std::memory_order_relaxed)) {
            changed_.wait(lock, ready);
            return;
        }
        lock.unlock();
        bool more = false;
        try {
            more = idleWork_();
        } catch (...) {
            more = false;
        }
        if (!more) idleWorkLeft_.store(false, std::memory_order_relaxed);
        lock.lock();
    }
}

std::uint8_t* RowRing::Claim() {
    std::unique_lock lock(mutex_);
    Await(lock, [this] { return stopped_ || published_ - givenBack_ < std::uint64_t(slots_); });
    if (stopped_) return nullptr;
    return rows_.Data() + rowBytes_ * std::size_t(published_ % std::uint64_t(slots_));
}

void RowRing::Publish() {
    const std::lock_guard lock(mutex_);
    ++published_;
    changed_.notify_all();
}

std::uint8_t* RowRing::Take() {
    std::unique_lock lock(mutex_);
    // One slot stays with the worker, so that holding rows never stalls it
    // for good.
    if (taken_ - givenBack_ >= std::uint64_t(slots_ - 1)) return nullptr;
    Await(lock, [this] { return ended_ || published_ > taken_; });
    if (published_ <= taken_) return nullptr;
    return rows_.Data() + rowBytes_ * std::size_t(taken_++ % std::uint64_t(slots_));
}

void RowRing::GiveBack() {
    const std::lock_guard lock(mutex_);
    if (givenBack_ == taken_) return;
    ++givenBack_;
    changed_.notify_all();
}

bool RowRing::Succeeded() {
    Join();
    return succeeded_;
}

void RowRing::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    Join();
}

void RowRing::Join() {
    if (worker_.joinable()) worker_.join();
}
