#include "PictureFiles.h"

#include <zlib.h>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <algorithm>

#include "ProcessStatus.h"
#include "framework/core/Exception.h"
#include "framework/stock/TBitmap.h"

namespace PictureFiles {

QString DataDir() {
    return QStringLiteral(TIDEMARK_TEST_DATA);
}

QString CacheDir() {
    const QString dir = QStringLiteral(TIDEMARK_TEST_CACHE);
    QDir().mkpath(dir);
    return dir;
}

QImage Halves(QSize size, QImage::Format format) {
    if (format == QImage::Format_Indexed8) {
        // Two palette entries, made row by row: huge pictures stay cheap.
        QImage image(size, format);
        image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
        const int half = size.width() / 2;
        for (int y = 0; y < size.height(); ++y) {
            uchar* row = image.scanLine(y);
            std::fill(row, row + half, uchar(0));
            std::fill(row + half, row + size.width(), uchar(1));
        }
        return image;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), QColor(255, 0, 0));
    return image.convertToFormat(format);
}

bool Write(const QString& path, const QImage& image, const char* format, int quality) {
    QImageWriter writer(path, format);
    if (quality >= 0) writer.setQuality(quality);
    return writer.write(image);
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

namespace {

QByteArray Chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray body = type + data;
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc.data());
    return chunk + crc;
}

}  // namespace

QByteArray HeaderOnlyPng(QSize declared, bool interlaced) {
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(declared.width()), header.data());
    qToBigEndian<quint32>(quint32(declared.height()), header.data() + 4);
    header[8] = 8;  // bits per channel
    header[9] = 6;  // RGBA
    header[12] = interlaced ? 1 : 0;
    // A few bytes of pixel data, so that readers find a well-formed start.
    const QByteArray pixels = qCompress(QByteArray(64, '\0')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", pixels) +
           Chunk("IEND", {});
}

QByteArray WithChunk(const QByteArray& png, const QByteArray& type, const QByteArray& data) {
    const int afterHeader = 8 + 4 + 4 + 13 + 4;
    return png.left(afterHeader) + Chunk(type, data) + png.mid(afterHeader);
}

qint64 PeakVirtualMemory() {
    const qint64 kib = ProcessStatus::KiB("VmPeak:");
    return kib < 0 ? -1 : kib * 1024;
}

Outcome Load(TBitmap& bitmap, const QString& path) {
    try {
        bitmap.LoadFromFile(path);
        return {};
    } catch (const EFOpenError& e) {
        return {QStringLiteral("EFOpenError"), e.Message()};
    } catch (const EBitmapLoadingFailed& e) {
        return {QStringLiteral("EBitmapLoadingFailed"), e.Message()};
    }
}

}  // namespace PictureFiles
