#pragma once

#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <span>

// The PNG container: signature, then length/type/data/CRC chunks. Writes go to a temporary file
// that only replaces the target on commit(), so an interrupted build never leaves half a
// picture behind that looks up to date.
class PngChunkFile {
public:
    explicit PngChunkFile(const QString& path) : file_(path) {}

    bool open();
    bool writeChunk(const char (&type)[5], std::span<const std::uint8_t> data);
    bool commit();

    // Offset of the next chunk from the start of the file.
    qint64 position() const { return position_; }
    QString errorString() const { return file_.errorString(); }

private:
    bool writeRaw(const void* data, std::size_t size);

    QSaveFile file_;
    qint64 position_ = 0;
};
