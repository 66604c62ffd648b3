#pragma once

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// Whether a picture file holds all the data its own structure declares.
// Some readers fill what a file cut short is missing (with grey, the
// background colour or whatever the memory held) and call that a picture;
// loading must fail on those, as it does for the formats whose readers
// notice themselves.
namespace PictureCompleteness {

// Checks the formats whose readers don't notice: BMP (uncompressed pixels
// shorter than the header's size), GIF (the first frame's data cut before
// its end), JPEG (no end-of-image marker after the first scan) and ICNS
// (blocks longer than the file, which its reader allocates before reading)
// and TGA (fewer bytes than its pixels need, which its reader reads past the
// end of the file one at a time).
// Every other format, and a file whose structure can't be followed this
// far, is left to its reader. Meant for before decoding, so a reader never
// follows such a structure: the device is read from `start` and left
// positioned anywhere.
bool Complete(QIODevice& device, qint64 start, const QByteArray& readerName);

}  // namespace PictureCompleteness
