#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "picture/memory/MappedBuffer.h"

// A bounded ring of rows between a worker thread that makes them and the
// thread that made the ring, which takes them in order: the two halves of a
// decode on two cores, in memory of a few rows whatever the picture's size.
// The worker is started by Start and has ended by the time Stop, Finish's
// last row or the destructor returns, however the decode ended: no thread
// outlives the ring.
class RowRing {
public:
    // `slotCount` rows of `rowBytes` each; IsValid false when the memory can't
    // be had.
    RowRing(std::size_t rowBytes, int slotCount);
    ~RowRing();
    RowRing(const RowRing&) = delete;
    RowRing& operator=(const RowRing&) = delete;

    bool IsValid() const { return !rows_.IsEmpty(); }
    std::size_t RowBytes() const { return rowBytes_; }

    // Work either thread may do whenever it would otherwise wait for the
    // other, in pieces: each call does one, and says whether any is left.
    // Called from both threads at once. Set before Start.
    void ShareIdleWork(std::function<bool()> work) { idleWork_ = std::move(work); }

    // Runs `make` on a worker thread; what it returns says whether it made
    // every row it meant to. Nothing escapes it: an exception counts as a
    // failure. False when no thread can be had, and nothing was started.
    bool Start(std::function<bool(RowRing&)> make);

    // The worker's side. The next row to fill, once the taker has given one
    // back; null when the taker has stopped, and the worker should return.
    std::uint8_t* Claim();
    // The claimed row is filled.
    void Publish();

    // The taker's side. The next row in order, once the worker has published
    // it; null when the worker ended without another (Succeeded says how).
    // Rows taken stay valid until given back; at most all but one may be
    // held at once.
    std::uint8_t* Take();
    // Gives back the oldest row taken.
    void GiveBack();
    // Whether the worker returned true, once Take has found no more rows.
    bool Succeeded();
    // Tells the worker to stop and waits for it to end.
    void Stop();

private:
    // Waits, under the lock, until `ready`; does the idle work meanwhile
    // while there is some.
    template <typename Ready>
    void Await(std::unique_lock<std::mutex>& lock, Ready ready);
    void Join();

    std::size_t rowBytes_ = 0;
    int slots_ = 0;
    MappedBuffer rows_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Rows counted from the first: published, and given back by the taker.
    std::uint64_t published_ = 0;
    std::uint64_t givenBack_ = 0;
    // Only the taker's thread touches these.
    std::uint64_t taken_ = 0;
    bool stopped_ = false;
    bool ended_ = false;
    bool succeeded_ = false;
    std::atomic<bool> idleWorkLeft_{true};
    std::function<bool()> idleWork_;
    std::thread worker_;
};
