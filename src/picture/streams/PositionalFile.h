#pragma once

#include <QtGlobal>

class QIODevice;

// Reads of an open picture file at given offsets, which several threads may
// make at once without a shared position between them: the two halves of a
// large picture decoded side by side. Only a file on disk has it; the device
// itself is neither read nor moved, so its position is whatever it was.
class PositionalFile {
public:
    explicit PositionalFile(const QIODevice& device);

    bool IsValid() const { return handle_ >= 0; }
    qint64 Size() const { return size_; }

    // Up to `size` bytes from `offset` into data: the count read, 0 at the
    // end, -1 on an error. Never throws.
    qint64 ReadAt(qint64 offset, void* data, qint64 size) const noexcept;

private:
    int handle_ = -1;
    qint64 size_ = -1;
};
