#include "DeviceInput.h"

#include <QIODevice>

namespace DeviceInput {

qint64 Read(QIODevice& device, void* data, qint64 size) noexcept {
    try {
        return device.read(static_cast<char*>(data), size);
    } catch (...) {
        return -1;
    }
}

bool Skip(QIODevice& device, qint64 count) noexcept {
    try {
        return device.skip(count) == count;
    } catch (...) {
        return false;
    }
}

bool Seek(QIODevice& device, qint64 position) noexcept {
    try {
        return device.seek(position);
    } catch (...) {
        return false;
    }
}

qint64 Position(const QIODevice& device) noexcept {
    try {
        return device.pos();
    } catch (...) {
        return -1;
    }
}

qint64 Size(const QIODevice& device) noexcept {
    try {
        return device.size();
    } catch (...) {
        return -1;
    }
}

}  // namespace DeviceInput
