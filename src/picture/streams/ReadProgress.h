#pragma once

#include <QtGlobal>
#include <atomic>
#include <functional>

class QIODevice;

// How far a decode has read its device, told to a watcher only on the
// thread that decodes (the watcher may paint), while the reading itself may
// happen on a worker: the worker notes each position, the decoding thread
// tells them as it takes the worker's rows.
class ReadProgress {
public:
    // Told the position reached and the size, -1 when unknown.
    using TWatcher = std::function<void(qint64 position, qint64 size)>;

    ReadProgress(const QIODevice& device, TWatcher watcher);

    // After a read, on whichever thread read.
    void Note(qint64 position) noexcept { position_.store(position, std::memory_order_relaxed); }
    // On the decoding thread: tells the watcher the position noted last,
    // when it has moved.
    void Tell();

private:
    std::atomic<qint64> position_{-1};
    qint64 told_ = -1;
    qint64 size_ = -1;
    TWatcher watcher_;
};
