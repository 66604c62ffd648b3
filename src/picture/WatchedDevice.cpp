#include "WatchedDevice.h"

WatchedDevice::WatchedDevice(QIODevice& inner, TWatcher watcher)
    : inner_(inner), watcher_(std::move(watcher)) {
    // Unbuffered: the other device buffers already, and positions stay the same on both.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (!inner_.isSequential()) QIODevice::seek(inner_.pos());
}

bool WatchedDevice::seek(qint64 position) {
    return inner_.seek(position) && QIODevice::seek(position);
}

qint64 WatchedDevice::readData(char* data, qint64 maxSize) {
    const qint64 read = inner_.read(data, maxSize);
    if (read > 0 && watcher_) watcher_(inner_.pos(), inner_.size());
    return read;
}
