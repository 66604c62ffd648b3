#pragma once

#include <condition_variable>
#include <limits>
#include <mutex>

// Where a picture decoded in two is cut: the upper part's decoder asks
// before each row, the lower part's cuts once it knows where it can begin,
// unless the upper part has got there first.
class JpegSplitPoint {
public:
    bool Next(int row) {
        std::lock_guard lock(mutex_);
        if (row >= end_) return false;
        reached_ = row + 1;
        return true;
    }
    bool Cut(int row) {
        std::lock_guard lock(mutex_);
        decided_ = true;
        decision_.notify_all();
        if (reached_ > row) return false;
        end_ = row;
        return true;
    }
    // The lower part's thread has cut, or won't.
    void Decided() {
        std::lock_guard lock(mutex_);
        decided_ = true;
        decision_.notify_all();
    }
    void AwaitDecision() {
        std::unique_lock lock(mutex_);
        decision_.wait(lock, [this] { return decided_; });
    }
    int End() {
        std::lock_guard lock(mutex_);
        return end_;
    }

private:
    std::mutex mutex_;
    std::condition_variable decision_;
    int end_ = std::numeric_limits<int>::max();
    int reached_ = 0;
    bool decided_ = false;
};
