#pragma once

#include <QtGlobal>

class QIODevice;

// Reading a picture's device from the callbacks of the format libraries.
// They are called from C code, which no exception may cross, so these never
// throw: a failure is told by the result.
namespace DeviceInput {

// Up to size bytes into data; the count read, 0 at the end, -1 on error.
qint64 Read(QIODevice& device, void* data, qint64 size) noexcept;
// Moves count bytes on; whether it could.
bool Skip(QIODevice& device, qint64 count) noexcept;
// Moves to a position from the start of the device; whether it could.
bool Seek(QIODevice& device, qint64 position) noexcept;
// The device's position and size, -1 when unknown.
qint64 Position(const QIODevice& device) noexcept;
qint64 Size(const QIODevice& device) noexcept;

}  // namespace DeviceInput
