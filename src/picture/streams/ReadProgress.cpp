#include "ReadProgress.h"

#include "DeviceInput.h"

ReadProgress::ReadProgress(const QIODevice& device, TWatcher watcher)
    : size_(DeviceInput::Size(device)), watcher_(std::move(watcher)) {}

void ReadProgress::Tell() {
    const qint64 position = position_.load(std::memory_order_relaxed);
    if (!watcher_ || position == told_ || position < 0) return;
    told_ = position;
    watcher_(position, size_);
}
