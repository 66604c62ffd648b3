#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

class TBitmap;

// Picture files made on the spot, and what loading one ends in.
namespace PictureFiles {

// The directory of the small hand-made pictures under tests/data.
QString DataDir();
// A directory under the build tree for pictures too large to make on every
// run, made when missing.
QString CacheDir();

// Left half red, right half blue, in the given format.
QImage Halves(QSize size, QImage::Format format = QImage::Format_RGB32);
bool Write(const QString& path, const QImage& image, const char* format, int quality = -1);
bool WriteBytes(const QString& path, const QByteArray& bytes);

// A small PNG whose header declares the size, with only a few bytes of
// pixels: a decoder that believed it would allocate for the whole size.
// Interlaced, it goes to the image readers rather than row by row.
QByteArray HeaderOnlyPng(QSize declared, bool interlaced = false);
// A PNG file with one more chunk right after the header.
QByteArray WithChunk(const QByteArray& png, const QByteArray& type, const QByteArray& data);

// The most virtual memory the process has held so far, in bytes: an
// allocation shows here even before its pages are touched.
qint64 PeakVirtualMemory();

// How LoadFromFile ended: the class of the failure ("" on success) and its
// message.
struct Outcome {
    QString failure;
    QString message;
};
Outcome Load(TBitmap& bitmap, const QString& path);

}  // namespace PictureFiles
