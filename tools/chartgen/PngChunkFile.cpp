#include "PngChunkFile.h"

#include <zlib.h>

#include <array>

#include "picture/inspect/BigEndian.h"

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

bool PngChunkFile::open() {
    if (!file_.open(QIODevice::WriteOnly)) return false;
    return writeRaw(kSignature.data(), kSignature.size());
}

bool PngChunkFile::writeRaw(const void* data, std::size_t size) {
    const qint64 written = file_.write(static_cast<const char*>(data), qint64(size));
    if (written != qint64(size)) return false;
    position_ += written;
    return true;
}

bool PngChunkFile::writeChunk(const char (&type)[5], std::span<const std::uint8_t> data) {
    const auto length = BigEndian::Bytes32(std::uint32_t(data.size()));
    const auto* typeBytes = reinterpret_cast<const Bytef*>(type);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, typeBytes, 4);
    if (!data.empty()) crc = crc32(crc, data.data(), uInt(data.size()));
    const auto crcBytes = BigEndian::Bytes32(std::uint32_t(crc));
    return writeRaw(length.data(), 4) && writeRaw(type, 4) &&
           (data.empty() || writeRaw(data.data(), data.size())) && writeRaw(crcBytes.data(), 4);
}

bool PngChunkFile::commit() {
    return file_.commit();
}
